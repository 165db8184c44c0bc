#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace suantiji {

// Longest text FormatNumber writes (a whole value near the top of the double range).
inline constexpr std::size_t kNumberTextCapacity = 352;

// A double as a script engine's variant conversion shows it: rounded to 15 significant
// digits, then written in plain decimal notation whatever the locale. Whole values never get a
// decimal point or an exponent; other values always get "." and at least one digit after it.
// Returns the number of characters written to `out` (at least kNumberTextCapacity long).
std::size_t FormatNumber(double value, char* out);
std::string NumberToText(double value);

// The whole text as a decimal number (optional sign, digits, optional fraction and exponent,
// surrounding blanks allowed). False when anything else is in it.
bool ParseNumber(std::string_view text, double& value);

}  // namespace suantiji
