#include "services/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace suantiji {

std::size_t FormatNumber(double value, char* out) {
    char* p = out;
    if (std::isnan(value)) {
        std::memcpy(out, "NaN", 3);
        return 3;
    }
    if (std::isinf(value)) {
        const char* text = value < 0 ? "-Infinity" : "Infinity";
        const std::size_t length = std::strlen(text);
        std::memcpy(out, text, length);
        return length;
    }
    if (value == 0) {  // also -0
        *out = '0';
        return 1;
    }
    // Whole values below 10^15 already have at most 15 significant digits.
    if (std::fabs(value) < 1e15 && value == std::trunc(value)) {
        return static_cast<std::size_t>(
            std::to_chars(out, out + kNumberTextCapacity, static_cast<std::int64_t>(value)).ptr -
            out);
    }
    // Round to 15 significant digits: d.dddddddddddddde±x
    char scientific[32];
    const auto written = std::to_chars(scientific, scientific + sizeof scientific, value,
                                       std::chars_format::scientific, 14);
    const char* s = scientific;
    if (*s == '-') {
        *p++ = '-';
        ++s;
    }
    char digits[15];
    int digitCount = 0;
    for (; *s != 'e'; ++s) {
        if (*s != '.') digits[digitCount++] = *s;
    }
    int exponent = 0;
    std::from_chars(s[1] == '+' ? s + 2 : s + 1, written.ptr, exponent);
    while (digitCount > 1 && digits[digitCount - 1] == '0') --digitCount;

    if (exponent >= digitCount - 1) {
        // Whole: the digits followed by zeros.
        std::memcpy(p, digits, static_cast<std::size_t>(digitCount));
        p += digitCount;
        const int zeros = exponent - (digitCount - 1);
        std::memset(p, '0', static_cast<std::size_t>(zeros));
        p += zeros;
    } else if (exponent >= 0) {
        std::memcpy(p, digits, static_cast<std::size_t>(exponent + 1));
        p += exponent + 1;
        *p++ = '.';
        const int rest = digitCount - exponent - 1;
        std::memcpy(p, digits + exponent + 1, static_cast<std::size_t>(rest));
        p += rest;
    } else {
        *p++ = '0';
        *p++ = '.';
        const int zeros = -exponent - 1;
        std::memset(p, '0', static_cast<std::size_t>(zeros));
        p += zeros;
        std::memcpy(p, digits, static_cast<std::size_t>(digitCount));
        p += digitCount;
    }
    return static_cast<std::size_t>(p - out);
}

std::string NumberToText(double value) {
    char buffer[kNumberTextCapacity];
    return std::string(buffer, FormatNumber(value, buffer));
}

bool ParseNumber(std::string_view text, double& value) {
    auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.front() == '+' || text.front() == '-') return false;
    double parsed = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return false;
    value = negative ? -parsed : parsed;
    return true;
}

}  // namespace suantiji
