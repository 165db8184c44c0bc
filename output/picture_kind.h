#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace suantiji {

// The kinds of file the save dialog writes.
enum class PictureKind { Bmp, Png, Pdf };

// The kind follows the chosen name's ending: ".png" or ".pdf" in any case. Any other ending, or
// none, gives the BMP, so a name typed without extension still saves what it always did.
PictureKind PictureKindOf(std::string_view path);

// The save dialog's file types. The BMP's bare pattern comes first and stays selected, so the
// proposed name and a plain Enter give the BMP of old.
std::vector<std::string> PictureFilters();

}  // namespace suantiji
