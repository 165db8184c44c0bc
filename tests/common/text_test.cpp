#include "common/text.h"
#include "tests/support/test_random.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>

namespace suantiji {
namespace {

struct IntegerCase {
    const char* text;
    std::int64_t value;
};

class TextToIntegerTest : public testing::TestWithParam<IntegerCase> {};

TEST_P(TextToIntegerTest, ReadsLeadingNumber) {
    EXPECT_EQ(TextToInteger64(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, TextToIntegerTest,
    testing::Values(IntegerCase{"", 0}, IntegerCase{"abc", 0}, IntegerCase{"3.5", 3},
                    IntegerCase{"-3.9", -3}, IntegerCase{"  42x", 42}, IntegerCase{"+7", 7},
                    IntegerCase{"- 7", 0}, IntegerCase{"１２３", 123}, IntegerCase{"－１５", -15},
                    IntegerCase{"\u3000 ８", 8}, IntegerCase{"007", 7}, IntegerCase{".5", 0},
                    IntegerCase{"99999999999999999999", std::numeric_limits<std::int64_t>::max()},
                    IntegerCase{"-99999999999999999999",
                                std::numeric_limits<std::int64_t>::min()}));

TEST(TextToInteger, SaturatesToThirtyTwoBits) {
    EXPECT_EQ(TextToInteger("4294967296"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(TextToInteger("-4294967296"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(TextToInteger("2147483647"), 2147483647);
}

TEST(TruncateToInteger, TowardZero) {
    EXPECT_EQ(TruncateToInteger(3.9), 3);
    EXPECT_EQ(TruncateToInteger(-3.9), -3);
    EXPECT_EQ(TruncateToInteger(1e300), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(TruncateToInteger(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(TruncateToInteger(-0.5), 0);
    // Each side of the 32-bit range's edges, where the conversion stops and saturation starts.
    constexpr auto top = std::numeric_limits<std::int32_t>::max();
    constexpr auto bottom = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(TruncateToInteger(2147483647.9), top);
    EXPECT_EQ(TruncateToInteger(2147483648.0), top);
    EXPECT_EQ(TruncateToInteger(-2147483648.9), bottom);
    EXPECT_EQ(TruncateToInteger(-2147483649.0), bottom);
    EXPECT_EQ(TruncateToInteger(-1e300), bottom);
    EXPECT_EQ(TruncateToInteger(-std::numeric_limits<double>::infinity()), bottom);
}

TEST(IntegerAndTruthText, Forms) {
    EXPECT_EQ(IntegerToText(-12), "-12");
    EXPECT_EQ(IntegerToText(0), "0");
    EXPECT_EQ(BoolToText(true), "真");
    EXPECT_EQ(BoolToText(false), "假");
}

// Short and long texts take different ways through the search: both must find the first
// occurrence at or after the start, 1-based, or -1.
TEST(FindText, FindsTheFirstOccurrenceFromTheStart) {
    TestRandom random(3);
    auto next = [&random](int n) {
        return static_cast<int>(random.Below(static_cast<std::uint32_t>(n)));
    };
    for (int i = 0; i < 20000; ++i) {
        std::string text(static_cast<std::size_t>(next(i % 2 == 0 ? 20 : 150)), 'a');
        for (char& c : text) c = "ab+*"[next(4)];
        std::string sought(static_cast<std::size_t>(1 + next(4)), 'a');
        for (char& c : sought) c = "ab+*"[next(4)];
        const int from = 1 + next(static_cast<int>(text.size()) + 2);
        const std::size_t expected = std::string_view(text).find(sought, from - 1);
        const int found = FindText(text, sought, from);
        EXPECT_EQ(found, expected == std::string_view::npos ? -1 : static_cast<int>(expected) + 1)
            << text << " / " << sought << " from " << from;
    }
    EXPECT_EQ(FindText("5*3-4", "3-4", 1), 3);
    EXPECT_EQ(FindText("3-4", "3-4x", 1), -1);
    EXPECT_EQ(FindText("abc", "", 1), -1);
}

TEST(FindText, IgnoringCaseFoldsAsciiLettersOnly) {
    // Every pair of bytes: only A-Z against a-z differ and still match. "@" and "`", "[" and
    // "{" also differ in bit 0x20 alone, and so do bytes above 0x7F.
    auto lower = [](int c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            const std::string text(1, static_cast<char>(a));
            const std::string sought(1, static_cast<char>(b));
            ASSERT_EQ(FindText(text, sought, 1, false), lower(a) == lower(b) ? 1 : -1)
                << a << " " << b;
            ASSERT_EQ(FindText(text, sought, 1, true), a == b ? 1 : -1) << a << " " << b;
        }
    }
    EXPECT_EQ(FindText("12*Ab+c", "aB+C", 1, false), 4);
    EXPECT_EQ(FindText("12*Ab+c", "aB+C", 5, false), -1);
}

TEST(ReplacePairs, AppliesPairsInOrderOnPreviousResult) {
    const std::array pairs{ReplacePair{"*", "×"}, ReplacePair{"/", "÷"}};
    EXPECT_EQ(ReplacePairs("6/3*2=", std::nullopt, 1, true, pairs), "6÷3×2=");
    // The second pair sees what the first one wrote.
    const std::array chained{ReplacePair{"a", "b"}, ReplacePair{"b", "c"}};
    EXPECT_EQ(ReplacePairs("ab", std::nullopt, 0, true, chained), "cc");
}

TEST(ReplacePairs, CountStartAndCase) {
    const std::array pair{ReplacePair{"x", "-"}};
    EXPECT_EQ(ReplacePairs("xXxX", 2, 1, true, pair), "-X-X");
    EXPECT_EQ(ReplacePairs("xXxX", 2, 1, false, pair), "--xX");
    EXPECT_EQ(ReplacePairs("xXxX", std::nullopt, 3, false, pair), "xX--");
    EXPECT_EQ(ReplacePairs("xXxX", 0, 1, true, pair), "xXxX");
    EXPECT_EQ(ReplacePairs("xx", std::nullopt, 99, true, pair), "xx");
}

TEST(ReplacePairs, EmptySoughtAndSixthPairChangeNothing) {
    const std::array pairs{ReplacePair{"", "z"},  ReplacePair{"a", "1"}, ReplacePair{"b", "2"},
                           ReplacePair{"c", "3"}, ReplacePair{"d", "4"}, ReplacePair{"e", "5"}};
    EXPECT_EQ(ReplacePairs("abcde", std::nullopt, 1, true, pairs), "1234e");
}

TEST(ReplacePairs, NeverSplitsAWideCharacter) {
    // "※" is E2 80 BB; a search for the byte sequence of "€" (E2 82 AC) must not match inside.
    EXPECT_EQ(ReplaceAll("2026/12/7 星期一 09:05:03", "/", "_"), "2026_12_7 星期一 09:05:03");
    EXPECT_EQ(FindText("星期一一", "一"), 7);
    EXPECT_EQ(FindText("星期", "一"), -1);
    EXPECT_EQ(FindText("abcABC", "C", 1, false), 3);
    EXPECT_EQ(FindText("abcABC", "C", 4, true), 6);
}

}  // namespace
}  // namespace suantiji
