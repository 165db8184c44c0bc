#include "common/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace suantiji {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Letters compare without regard to case unless asked.
bool sameByte(char a, char b, bool caseSensitive) {
    return a == b || (!caseSensitive && LowerAscii(a) == LowerAscii(b));
}

std::size_t findFrom(std::string_view text, std::string_view sought, std::size_t from,
                     bool caseSensitive) {
    if (sought.empty() || from > text.size() || sought.size() > text.size() - from) {
        return std::string_view::npos;
    }
    // Long texts are searched faster by the library; short ones, as the matcher's positions
    // are, byte by byte.
    if (caseSensitive && text.size() - from > 64) return text.find(sought, from);
    const std::size_t last = text.size() - sought.size();
    for (std::size_t pos = from; pos <= last; ++pos) {
        std::size_t i = 0;
        while (i < sought.size() && sameByte(text[pos + i], sought[i], caseSensitive)) ++i;
        if (i == sought.size()) return pos;
    }
    return std::string_view::npos;
}

}  // namespace

std::string FoldFullWidth(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        // U+FF01..U+FF5E are EF BC 81..EF BD 9E; U+3000 is E3 80 80.
        if (b0 == 0xEF && i + 2 < text.size()) {
            const auto b1 = static_cast<unsigned char>(text[i + 1]);
            const auto b2 = static_cast<unsigned char>(text[i + 2]);
            unsigned code = 0;
            if (b1 == 0xBC && b2 >= 0x81 && b2 <= 0xBF) code = 0xFF00u + (b2 - 0x80u);
            if (b1 == 0xBD && b2 >= 0x80 && b2 <= 0x9E) code = 0xFF40u + (b2 - 0x80u);
            if (code != 0) {
                out.push_back(static_cast<char>(code - 0xFF00u + 0x20u));
                i += 3;
                continue;
            }
        }
        if (b0 == 0xE3 && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80 &&
            static_cast<unsigned char>(text[i + 2]) == 0x80) {
            out.push_back(' ');
            i += 3;
            continue;
        }
        out.push_back(text[i]);
        ++i;
    }
    return out;
}

std::int64_t TextToInteger64(std::string_view text) {
    const std::string folded = FoldFullWidth(text);
    std::size_t i = 0;
    while (i < folded.size() && isBlank(folded[i])) ++i;
    bool negative = false;
    if (i < folded.size() && (folded[i] == '+' || folded[i] == '-')) {
        negative = folded[i] == '-';
        ++i;
    }
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    std::int64_t value = 0;
    for (; i < folded.size() && folded[i] >= '0' && folded[i] <= '9'; ++i) {
        const int digit = folded[i] - '0';
        if (!negative) {
            if (value > (kMax - digit) / 10) return kMax;
            value = value * 10 + digit;
        } else {
            if (value < (kMin + digit) / 10) return kMin;
            value = value * 10 - digit;
        }
    }
    return value;
}

std::int32_t TextToInteger(std::string_view text) {
    const std::int64_t v = TextToInteger64(text);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::int32_t TruncateOutOfRange(double value) {
    if (std::isnan(value)) return 0;
    return value > 0 ? std::numeric_limits<std::int32_t>::max()
                     : std::numeric_limits<std::int32_t>::min();
}

std::string IntegerToText(std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string BoolToText(bool value) { return value ? "真" : "假"; }

std::string ReplacePairs(std::string_view text, std::optional<int> count, int start,
                         bool caseSensitive, std::span<const ReplacePair> pairs) {
    std::string current(text);
    const std::size_t from = start <= 1 ? 0 : static_cast<std::size_t>(start - 1);
    const std::size_t used = std::min<std::size_t>(pairs.size(), 5);
    for (std::size_t p = 0; p < used; ++p) {
        const ReplacePair& pair = pairs[p];
        if (pair.sought.empty() || from >= current.size()) continue;
        int left = (count && *count >= 0) ? *count : -1;
        std::string out(current, 0, from);
        std::size_t pos = from;
        while (left != 0) {
            const std::size_t hit = findFrom(current, pair.sought, pos, caseSensitive);
            if (hit == std::string_view::npos) break;
            out.append(current, pos, hit - pos);
            out.append(pair.replacement);
            pos = hit + pair.sought.size();
            if (left > 0) --left;
        }
        out.append(current, pos, std::string::npos);
        current = std::move(out);
    }
    return current;
}

std::string ReplaceAll(std::string_view text, std::string_view sought,
                       std::string_view replacement) {
    const ReplacePair pair{sought, replacement};
    return ReplacePairs(text, std::nullopt, 1, true, std::span(&pair, 1));
}

int FindText(std::string_view text, std::string_view sought, int from, bool caseSensitive) {
    const std::size_t start = from <= 1 ? 0 : static_cast<std::size_t>(from - 1);
    const std::size_t hit = findFrom(text, sought, start, caseSensitive);
    return hit == std::string_view::npos ? -1 : static_cast<int>(hit) + 1;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

}  // namespace suantiji
