#pragma once

#include <string>
#include <string_view>

namespace suantiji {

// The settings file is GBK on disk; everything inside the program is UTF-8. Both conversions go
// through GB18030, which equals GBK for every GBK character and still encodes any other one.
// Bytes that do not convert become U+FFFD instead of stopping the conversion.
std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);

}  // namespace suantiji
