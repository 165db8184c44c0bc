#include "services/pattern_matcher.h"

#include <gtest/gtest.h>

#include <chrono>

namespace suantiji {
namespace {

constexpr const char* kBracketPattern = R"(\d+[\*|\/](\d+[\+|\-]\d+))";

struct BracketCase {
    const char* subject;
    int count;
    const char* match;  // first match
    int matchPosition;
    const char* group;  // its group 1
    int groupPosition;
};

class BracketPatternTest : public testing::TestWithParam<BracketCase> {};

TEST_P(BracketPatternTest, FindsFirstProductBeforeASum) {
    const BracketCase& c = GetParam();
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Match(kBracketPattern, c.subject));
    ASSERT_EQ(matcher.MatchCount(), c.count) << c.subject;
    if (c.count == 0) return;
    int position = -1;
    EXPECT_EQ(matcher.MatchText(1, &position), c.match);
    EXPECT_EQ(position, c.matchPosition);
    EXPECT_EQ(matcher.SubMatchText(1, 1, &position), c.group);
    EXPECT_EQ(position, c.groupPosition);
    EXPECT_EQ(matcher.SubMatchCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    GeneratorPattern, BracketPatternTest,
    testing::Values(BracketCase{"12+5*3-4", 1, "5*3-4", 3, "3-4", 5},
                    BracketCase{"3*4+5", 1, "3*4+5", 0, "4+5", 2},
                    BracketCase{"8/2+6*3", 1, "8/2+6", 0, "2+6", 2},
                    BracketCase{"12*345+6", 1, "12*345+6", 0, "345+6", 3},
                    BracketCase{"9*1-2*5+1", 1, "9*1-2", 0, "1-2", 2},
                    BracketCase{"4*12+3*5-6", 1, "4*12+3", 0, "12+3", 2},
                    BracketCase{"3*4*5+6", 1, "4*5+6", 2, "5+6", 4},
                    // The group text also occurs earlier: it is found from its match onward.
                    BracketCase{"1+2-1*1+2", 1, "1*1+2", 4, "1+2", 6},
                    BracketCase{"1*(2+3)-4*5+6", 1, "4*5+6", 8, "5+6", 10},
                    BracketCase{"2+3-4", 0, "", 0, "", 0}, BracketCase{"6*3", 0, "", 0, "", 0},
                    BracketCase{"", 0, "", 0, "", 0}));

TEST(PatternMatcher, GlobalMatchesDoNotOverlapAndIndexesAreChecked) {
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Match(kBracketPattern, "1*2+3-4*5+6"));
    ASSERT_EQ(matcher.MatchCount(), 2);
    int position = -1;
    EXPECT_EQ(matcher.SubMatchText(2, 1, &position), "5+6");
    EXPECT_EQ(position, 8);
    EXPECT_EQ(matcher.MatchText(3), "");
    EXPECT_NE(LastComponentError(), 0);
    EXPECT_EQ(matcher.SubMatchText(1, 2), "");
    EXPECT_EQ(matcher.MatchText(0), "");

    ASSERT_TRUE(matcher.Match("a", "a a a", false, true, /*global=*/false));
    EXPECT_EQ(matcher.MatchCount(), 1);
}

TEST(PatternMatcher, BeforeAnyMatchAndWithBadPatterns) {
    PatternMatcher matcher;
    EXPECT_EQ(matcher.MatchCount(), 0);
    EXPECT_EQ(matcher.PatternText(), "");
    EXPECT_EQ(matcher.MatchText(1), "");

    EXPECT_FALSE(matcher.Match("(unclosed", "text"));
    EXPECT_EQ(LastComponentError(), -11);
    EXPECT_EQ(matcher.MatchCount(), 0);
    EXPECT_EQ(matcher.PatternText(), "(unclosed");
}

TEST(PatternMatcher, BacktrackingWithoutEndIsStoppedNotHung) {
    PatternMatcher matcher;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(matcher.Match("(a|aa)+$", std::string(200, 'a') + "b"));
    EXPECT_EQ(LastComponentError(), -11);
    EXPECT_EQ(matcher.MatchCount(), 0);
    EXPECT_FALSE(matcher.Match(R"(^(\w+\s?)*$)", std::string(5000, 'a') + "!"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(PatternMatcher, OptionsQuoteEscapeAndReplace) {
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Match("a#引号b", "a\"b", false, true, true, /*quoteEscape=*/true));
    EXPECT_EQ(matcher.PatternText(), "a\"b");
    EXPECT_EQ(matcher.MatchCount(), 1);
    ASSERT_TRUE(matcher.Match("a#引号b", "a\"b"));
    EXPECT_EQ(matcher.PatternText(), "a#引号b");
    EXPECT_EQ(matcher.MatchCount(), 0);

    ASSERT_TRUE(matcher.Match("abc", "xABC"));
    EXPECT_EQ(matcher.MatchCount(), 1);
    ASSERT_TRUE(matcher.Match("abc", "xABC", /*caseSensitive=*/true));
    EXPECT_EQ(matcher.MatchCount(), 0);
    ASSERT_TRUE(matcher.Match("^b", "a\nb"));
    EXPECT_EQ(matcher.MatchCount(), 1);
    ASSERT_TRUE(matcher.Match("^b", "a\nb", false, /*multiline=*/false));
    EXPECT_EQ(matcher.MatchCount(), 0);

    ASSERT_TRUE(matcher.Match(R"((\d+)\+(\d+))", "1+2 and 30+4"));
    EXPECT_EQ(matcher.ReplaceMatches("$2+$1 ($&) $$"), "2+1 (1+2) $ and 4+30 (30+4) $");
    EXPECT_EQ(matcher.SubMatchCount(), 2);
}

TEST(PatternMatcher, PositionsAreByteOffsetsPastChineseText) {
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Match(R"(\d+)", "题目12"));
    int position = -1;
    EXPECT_EQ(matcher.MatchText(1, &position), "12");
    EXPECT_EQ(position, 6);  // two characters of three bytes each
    // With several matches the search must start at the right match, not an earlier one.
    ASSERT_TRUE(matcher.Match("ab", "中中中ab ab"));
    ASSERT_EQ(matcher.MatchCount(), 2);
    EXPECT_EQ(matcher.MatchText(2, &position), "ab");
    EXPECT_EQ(position, 12);
    ASSERT_TRUE(matcher.Match("题+", "一题题二"));
    EXPECT_EQ(matcher.MatchText(1, &position), "题题");
    EXPECT_EQ(position, 3);
    // A byte that is not UTF-8 never matches and does not stop the search.
    ASSERT_TRUE(matcher.Match(kBracketPattern, std::string("\xff") + "12*3+4"));
    EXPECT_EQ(matcher.SubMatchText(1, 1, &position), "3+4");
    EXPECT_EQ(position, 4);
    // An empty match text: 0 while bytes remain at its index, else -2.
    ASSERT_TRUE(matcher.Match("x*", "ab"));
    EXPECT_EQ(matcher.MatchText(1, &position), "");
    EXPECT_EQ(position, 0);
    EXPECT_EQ(matcher.MatchText(3, &position), "");
    EXPECT_EQ(position, -2);
}

TEST(PatternMatcher, PositionsFollowEachSubjectAndTheCaseRule) {
    PatternMatcher matcher;
    int position = -1;
    // The group text is sought from the match on, without regard to case by default: the
    // "a" that starts the match is found before the group's own "A".
    ASSERT_TRUE(matcher.Match("a(a)", "xaA"));
    EXPECT_EQ(matcher.SubMatchText(1, 1, &position), "A");
    EXPECT_EQ(position, 1);
    ASSERT_TRUE(matcher.Match("a(A)", "xaA", /*caseSensitive=*/true));
    EXPECT_EQ(matcher.SubMatchText(1, 1, &position), "A");
    EXPECT_EQ(position, 2);
    // A Chinese subject after an ASCII one, and a copy that keeps the Chinese one.
    ASSERT_TRUE(matcher.Match(kBracketPattern, "题12+5*3-4"));
    PatternMatcher copy = matcher;
    ASSERT_TRUE(matcher.Match(kBracketPattern, "12+5*3-4"));
    EXPECT_EQ(copy.SubMatchText(1, 1, &position), "3-4");
    EXPECT_EQ(position, 8);
    EXPECT_EQ(matcher.SubMatchText(1, 1, &position), "3-4");
    EXPECT_EQ(position, 5);
    // Many matches, each found from its own match on.
    ASSERT_TRUE(matcher.Match(kBracketPattern, "1*2+3-4*5+6-7*8+9-1*2+3-4*5+6-7*8+9"));
    ASSERT_EQ(matcher.MatchCount(), 6);
    EXPECT_EQ(matcher.MatchText(6, &position), "7*8+9");
    EXPECT_EQ(position, 30);
    EXPECT_EQ(matcher.SubMatchText(5, 1, &position), "5+6");
    EXPECT_EQ(position, 26);
    // Many groups, one of them taking no part.
    ASSERT_TRUE(matcher.Match("(a)(x)?(b)(c)(d)(e)(f)(g)", "abcdefg-abcdefg"));
    ASSERT_EQ(matcher.MatchCount(), 2);
    EXPECT_EQ(matcher.SubMatchCount(), 8);
    EXPECT_EQ(matcher.SubMatchText(2, 8, &position), "g");
    EXPECT_EQ(position, 14);
    EXPECT_EQ(matcher.SubMatchText(2, 2), "");
    EXPECT_EQ(matcher.SubMatchText(1, 1, &position), "a");
    EXPECT_EQ(position, 0);
}

TEST(PatternMatcher, EveryMatchIsAFreshInstanceAndCopiesKeepTheirResults) {
    const int before = ComInitCount();
    {
        PatternMatcher matcher;
        ASSERT_TRUE(matcher.Match(kBracketPattern, "3*4+5"));
        PatternMatcher copy = matcher;
        EXPECT_EQ(ComInitCount(), before + 2);
        ASSERT_TRUE(matcher.Match("z", "abc"));
        EXPECT_EQ(matcher.MatchCount(), 0);
        EXPECT_EQ(copy.MatchCount(), 1);
        EXPECT_EQ(copy.SubMatchText(1, 1), "4+5");
        EXPECT_EQ(copy.PatternText(), kBracketPattern);
    }
    EXPECT_EQ(ComInitCount(), before);
}

TEST(PatternMatcher, WithoutComponentNothingMatches) {
    const ComponentRegistry nothing;
    PatternMatcher matcher(nothing);
    EXPECT_FALSE(matcher.Match(kBracketPattern, "3*4+5"));
    EXPECT_EQ(LastComponentError(), -1);
    EXPECT_EQ(matcher.MatchCount(), 0);
    EXPECT_EQ(matcher.SubMatchText(1, 1), "");
    EXPECT_EQ(matcher.PatternText(), "");
}

}  // namespace
}  // namespace suantiji
