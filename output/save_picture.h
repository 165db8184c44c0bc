#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/save_dialog.h"

class QWidget;

namespace suantiji {

// Writes the bytes to the path, replacing an existing file only once all of them are written.
// False when the file could not be written; no message either way.
bool WritePictureFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

// The click of the "save as picture" button: makes sure the records folder exists, captures the
// table as it is now, lets the user confirm a name, writes the picture and opens it. Without a
// picture nothing is offered; a file that could not be written is not opened.
void SaveSheetPicture(QWidget* table, const std::string& programFolder,
                      const std::string& sheetTimestamp, SaveFileDialog& dialog,
                      FileOpener& opener);

}  // namespace suantiji
