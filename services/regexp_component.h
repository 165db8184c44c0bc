#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

#include "services/automation.h"

namespace suantiji {

// The in-process regular-expression object over PCRE2: properties Pattern, IgnoreCase, Global,
// Multiline and Singleline; methods Execute (a match collection with Count and Item; each
// match has Value, FirstIndex and SubMatches) and Replace. FirstIndex counts UTF-16 units, as
// a wide string would. Compiled patterns are shared between the instances of a thread, so a
// fresh instance per match does not recompile.
std::shared_ptr<Component> CreateRegExpComponent();

// Byte offset in UTF-8 `text` of the given UTF-16 unit index (the text's size when beyond).
std::size_t Utf16IndexToByteOffset(std::string_view text, std::size_t index);

}  // namespace suantiji
