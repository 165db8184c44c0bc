#include "services/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace suantiji {

std::size_t FormatNumber(double value, char* out) {
    auto put = [out](const char* text) {
        const std::size_t length = std::strlen(text);
        std::memcpy(out, text, length);
        return length;
    };
    if (std::isnan(value)) return put("NaN");
    if (std::isinf(value)) return put(value < 0 ? "-Infinity" : "Infinity");
    if (value == 0) return put("0");  // also -0
    // Whole values below 10^15 already have at most 15 significant digits.
    if (std::fabs(value) < 1e15 && value == std::trunc(value)) {
        return static_cast<std::size_t>(
            std::to_chars(out, out + kNumberTextCapacity, static_cast<std::int64_t>(value)).ptr -
            out);
    }
    // Rounded to 15 significant digits, d.dddddddddddddde±x, then written out in full.
    char scientific[32];
    const char* const end = std::to_chars(scientific, scientific + sizeof scientific,
                                          std::fabs(value), std::chars_format::scientific, 14)
                                .ptr;
    char digits[16];
    int count = 0;
    const char* s = scientific;
    for (; *s != 'e'; ++s) {
        if (*s != '.') digits[count++] = *s;
    }
    int exponent = 0;
    std::from_chars(s[1] == '+' ? s + 2 : s + 1, end, exponent);
    while (count > 1 && digits[count - 1] == '0') --count;

    char* p = out;
    if (value < 0) *p++ = '-';
    auto copy = [&p](const char* from, int n) {
        std::memcpy(p, from, static_cast<std::size_t>(n));
        p += n;
    };
    auto zeros = [&p](int n) {
        std::memset(p, '0', static_cast<std::size_t>(n));
        p += n;
    };
    if (exponent >= count - 1) {  // whole: the digits, then zeros
        copy(digits, count);
        zeros(exponent - (count - 1));
    } else if (exponent >= 0) {  // the point falls among the digits
        copy(digits, exponent + 1);
        *p++ = '.';
        copy(digits + exponent + 1, count - exponent - 1);
    } else {  // below one: 0.000ddd
        copy("0.", 2);
        zeros(-exponent - 1);
        copy(digits, count);
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
