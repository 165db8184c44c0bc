#include "services/number_text.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace suantiji {

namespace {

// The exact product a * b as hi + lo (Dekker), in plain doubles: no extended precision, whose
// conversions to integers stall the pipeline. Exact unless the product overflows.
struct Split {
    double hi, lo;
};
constexpr Split split(double a) {
    const double c = 134217729.0 * a;  // 2^27 + 1
    const double hi = c - (c - a);
    return {hi, a - hi};
}
Split exactProduct(double a, Split b, double bValue) {
    const double p = a * bValue;
    const Split s = split(a);
    const double error = ((s.hi * b.hi - p) + s.hi * b.lo + s.lo * b.hi) + s.lo * b.lo;
    return {p, error};
}

// The 15 significant digits of `a` (positive, not whole) and the power of ten of the first.
// False when the product cannot settle the rounding (near a tie, or outside the range the
// table covers); the exact conversion then decides.
bool roundedDigits(double a, char* digits, int& exponent) {
    // 10^0 ... 10^19 are exact doubles.
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,
                                         1e7,  1e8,  1e9,  1e10, 1e11, 1e12, 1e13,
                                         1e14, 1e15, 1e16, 1e17, 1e18, 1e19};
    static constexpr Split kSplitPowers[] = {
        split(1e0),  split(1e1),  split(1e2),  split(1e3),  split(1e4),  split(1e5),  split(1e6),
        split(1e7),  split(1e8),  split(1e9),  split(1e10), split(1e11), split(1e12), split(1e13),
        split(1e14), split(1e15), split(1e16), split(1e17), split(1e18), split(1e19)};
    // The power of ten of the first digit: 10^e <= a.
    static constexpr double kBounds[] = {1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1e0,  1e1,
                                         1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,
                                         1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    if (!(a >= kBounds[0] && a < kBounds[20])) return false;
    // With 2^b <= a < 2^(b + 1), the power is floor(b log10 2) or one more: one comparison,
    // rather than a search whose length varies from answer to answer.
    const auto binary = static_cast<int>((std::bit_cast<std::uint64_t>(a) >> 52) & 0x7FF) - 1023;
    int e = (binary * 78913) >> 18;  // floor(binary * log10 2) for |binary| < 1100
    if (a >= kBounds[e + 6]) ++e;
    const auto k = static_cast<std::size_t>(14 - e);
    const Split x = exactProduct(a, kSplitPowers[k], kPowers[k]);
    if (!(x.hi >= 1e14 && x.hi < 1e15)) return false;
    // Below 2^53 the whole part and the remainder of the leading double are exact.
    auto whole = static_cast<std::int64_t>(x.hi);
    double fraction = (x.hi - static_cast<double>(whole)) + x.lo;
    if (fraction < 0) {
        --whole;
        fraction += 1;
    }
    // Only a fraction near one half leaves the rounding open.
    if (!(fraction >= 0 && fraction < 1) || (fraction > 0.499 && fraction < 0.501)) return false;
    if (whole < 100'000'000'000'000) return false;
    if (fraction > 0.5) ++whole;
    if (whole == 1'000'000'000'000'000) {
        whole /= 10;
        ++e;
    }
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    // Two digits per division, in two independent 32-bit halves; `at` is where the last pair
    // begins, and what is left over above the pairs is returned.
    auto pairs = [digits](std::uint32_t half, int at, int count) {
        for (int i = at; count > 0; i -= 2, --count) {
            const std::size_t pair = (half % 100) * 2;
            half /= 100;
            digits[i] = kPairs[pair];
            digits[i + 1] = kPairs[pair + 1];
        }
        return half;
    };
    pairs(static_cast<std::uint32_t>(whole % 100'000'000), 13, 4);  // eight digits
    const std::uint32_t first = pairs(static_cast<std::uint32_t>(whole / 100'000'000), 5, 3);
    digits[0] = static_cast<char>('0' + first);
    exponent = e;
    return true;
}

}  // namespace

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
    char digits[32] = {};  // 15 digits, and room for the fixed-size copies to read on
    int digitCount = 0;
    int exponent = 0;
    if (value < 0) *p++ = '-';
    if (roundedDigits(std::fabs(value), digits, exponent)) {
        digitCount = 15;
    } else {
        char scientific[32];
        const auto written = std::to_chars(scientific, scientific + sizeof scientific,
                                           std::fabs(value), std::chars_format::scientific, 14);
        const char* s = scientific;
        for (; *s != 'e'; ++s) {
            if (*s != '.') digits[digitCount++] = *s;
        }
        std::from_chars(s[1] == '+' ? s + 2 : s + 1, written.ptr, exponent);
    }
    while (digitCount > 1 && digits[digitCount - 1] == '0') --digitCount;

    // `out` has room to spare: the digits are copied sixteen bytes at a time, a fixed size,
    // and the end pointer then says how many count.
    if (exponent >= digitCount - 1) {
        // Whole: the digits followed by zeros.
        std::memcpy(p, digits, 16);
        p += digitCount;
        const int zeros = exponent - (digitCount - 1);
        std::memset(p, '0', static_cast<std::size_t>(zeros));
        p += zeros;
    } else if (exponent >= 0) {
        // The digits, then the fraction moved one place on for the point.
        std::memcpy(p, digits, 16);
        std::memcpy(p + exponent + 2, digits + exponent + 1, 16);
        p[exponent + 1] = '.';
        p += digitCount + 1;
    } else {
        const int zeros = -exponent - 1;
        if (zeros <= 16) {
            std::memcpy(p, "0.0000000000000000", 18);
        } else {
            std::memcpy(p, "0.", 2);
            std::memset(p + 2, '0', static_cast<std::size_t>(zeros));
        }
        p += 2 + zeros;
        std::memcpy(p, digits, 16);
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
