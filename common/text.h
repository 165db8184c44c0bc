#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Text conventions shared by every module. Texts are UTF-8; lengths and positions are byte
// counts. A search for a valid UTF-8 text never matches inside another character, so byte
// searches step over multi-byte characters as units.
namespace suantiji {

// An ASCII letter in lower case; any other byte, one of a Chinese character among them, as it is.
inline char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Equal texts, ASCII letters compared without regard to case.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// A byte that continues a UTF-8 character rather than starting one.
inline bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Full-width digits, signs, letters and the ideographic space become their ASCII forms.
std::string FoldFullWidth(std::string_view text);

// Leading blanks skipped, an optional sign and the decimal digits after it give the value;
// anything after them is ignored; no digits gives 0. Values beyond 64 bits saturate.
std::int64_t TextToInteger64(std::string_view text);

// The same, saturated to the 32-bit range the program's integers live in.
std::int32_t TextToInteger(std::string_view text);

// Floating point to integer: truncation toward zero, saturated to 32 bits (NaN gives 0).
// Inline, since every match count goes through it: within range the conversion truncates.
std::int32_t TruncateOutOfRange(double value);
inline std::int32_t TruncateToInteger(double value) {
    if (value > -2147483649.0 && value < 2147483648.0) return static_cast<std::int32_t>(value);
    return TruncateOutOfRange(value);
}

std::string IntegerToText(std::int64_t value);

// "真" for true, "假" for false.
std::string BoolToText(bool value);

struct ReplacePair {
    std::string_view sought;
    std::string_view replacement;
};

// Applies up to five pairs in order, each to the result of the previous one. `count` limits
// the replacements per pair (omitted or negative: all). `start` is 1-based (0 means 1); the part
// before it is copied unchanged. Without `caseSensitive`, ASCII letters match either case.
std::string ReplacePairs(std::string_view text, std::optional<int> count, int start,
                         bool caseSensitive, std::span<const ReplacePair> pairs);

// Every occurrence, case-sensitive, from the start: the common case.
std::string ReplaceAll(std::string_view text, std::string_view sought,
                       std::string_view replacement);

// 1-based position of `sought` in `text` at or after the 1-based `from`, or -1.
int FindText(std::string_view text, std::string_view sought, int from = 1,
             bool caseSensitive = true);

}  // namespace suantiji
