#include "services/regex_engine.h"

#include <gtest/gtest.h>

#include <string>

namespace suantiji::regex {
namespace {

struct RegexCase {
    const char* pattern;
    const char* subject;
    const char* match;  // nullptr: no match
    int group1Begin = -1;
    Flags flags{};
};

class RegexTest : public testing::TestWithParam<RegexCase> {};

TEST_P(RegexTest, FindsTheLeftmostMatch) {
    const RegexCase& c = GetParam();
    const auto program = Compile(c.pattern, c.flags);
    ASSERT_NE(program, nullptr) << c.pattern;
    std::vector<int> captures;
    const std::string_view subject = c.subject;
    const bool found = Search(*program, subject, 0, captures);
    if (c.match == nullptr) {
        EXPECT_FALSE(found) << c.pattern << " in " << c.subject;
        return;
    }
    ASSERT_TRUE(found) << c.pattern << " in " << c.subject;
    EXPECT_EQ(subject.substr(captures[0], captures[1] - captures[0]), c.match) << c.pattern;
    if (c.group1Begin >= 0) {
        EXPECT_EQ(captures[2], c.group1Begin) << c.pattern;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ecmascript, RegexTest,
    testing::Values(RegexCase{"cat|dog", "hotdog", "dog"}, RegexCase{"a+?", "aaa", "a"},
                    RegexCase{"a{2,3}", "aaaa", "aaa"}, RegexCase{"a{2}", "a", nullptr},
                    RegexCase{"x{,2}", "x{,2}", "x{,2}"},  // not a quantifier: literal braces
                    RegexCase{"[a-c]+", "xxabcabd", "abcab"}, RegexCase{"[^0-9]+", "12ab3", "ab"},
                    RegexCase{"[\\d.]+", "v1.25!", "1.25"},
                    RegexCase{"[\\w-]+", "  a-b_c ", "a-b_c"},
                    RegexCase{"\\bfoo\\b", "afoo foo", "foo"}, RegexCase{"\\Boo", "foo", "oo"},
                    RegexCase{"(?:ab)+", "xababx", "abab"}, RegexCase{"(\\w)\\1", "abccd", "cc", 2},
                    RegexCase{"a(?=b)", "acab", "a"}, RegexCase{"a(?!c)", "acab", "a"},
                    RegexCase{"a.c", "a\nc abc", "abc"},
                    RegexCase{"a.c", "a\nc", "a\nc", -1, Flags{false, false, true}},
                    RegexCase{"[a-z]+", "12ABC", "ABC", -1, Flags{true, false, false}},
                    RegexCase{"^b$", "a\nb\nc", "b", -1, Flags{false, true, false}},
                    RegexCase{"^b", "a\nb", nullptr}, RegexCase{"(a)|(b)", "b", "b", -1},
                    RegexCase{"中+", "x中中y", "中中"}, RegexCase{"\\u4e2d.", "x中文", "中文"},
                    RegexCase{"[^a]", "a题", "题"}, RegexCase{"\\s+", "a \t\u3000b", " \t\u3000"},
                    RegexCase{"(a*)*b", "aab", "aab"}, RegexCase{"(a|)+c", "aac", "aac"},
                    RegexCase{"\\d+[\\*|\\/](\\d+[\\+|\\-]\\d+)", "12+5*3-4", "5*3-4", 5}));

TEST(Regex, RejectsMalformedPatterns) {
    for (const char* bad : {"(", "a)", "[z-a]", "*a", "a{3,2}", "[abc", "a**", "(?<x>a)", "\\"}) {
        EXPECT_EQ(Compile(bad, Flags{}), nullptr) << bad;
    }
}

TEST(Regex, ReportsWhenItGivesUp) {
    const auto program = Compile("(a*)*b", Flags{});
    ASSERT_NE(program, nullptr);
    std::vector<int> captures;
    bool aborted = false;
    EXPECT_FALSE(Search(*program, std::string(30, 'a'), 0, captures, &aborted));
    EXPECT_TRUE(aborted);
}

}  // namespace
}  // namespace suantiji::regex
