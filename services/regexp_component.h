#pragma once

#include <memory>

#include "services/automation.h"

namespace suantiji {

// The in-process regular-expression object: properties Pattern, IgnoreCase, Global, Multiline
// and Singleline; methods Execute (a match collection with Count and Item; each match has
// Value, FirstIndex, Length and SubMatches), Test and Replace. Patterns are ECMAScript
// regular expressions. FirstIndex and Length count UTF-16 units, as a wide string would.
// Compiled patterns are shared between instances of one thread, so a fresh instance per
// match does not recompile.
std::shared_ptr<Component> CreateRegExpComponent();

// Byte offset in UTF-8 `text` of the given UTF-16 unit index (the text's size when beyond).
std::size_t Utf16IndexToByteOffset(std::string_view text, std::size_t index);
std::size_t Utf16Length(std::string_view text);
// True when every byte is below 0x80: byte offsets then equal UTF-16 indexes.
bool IsAscii(std::string_view text);

}  // namespace suantiji
