#include "services/regex_engine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

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

// Straight patterns take a shortcut without backtracking; it must give exactly what the
// general engine gives, captures included, from every start and with either case rule.
TEST(Regex, ShortcutAgreesWithBacktracking) {
    const char* patterns[] = {
        R"(\d+[\*|\/](\d+[\+|\-]\d+))",  // the bracket pattern
        R"(\d+)",
        R"(\d*)",
        R"(\d+\d)",
        R"(\d+x?\d)",
        R"(\d+x?)",
        R"(\d{1,2}\d)",
        R"(\d{2,3}[+-])",
        R"((\d+)(a*)(b+))",
        R"(a+?b)",
        R"(a{2}?b)",
        R"([ab]+B)",
        R"(a+A)",
        R"(\d*[+-]\d*)",
        R"(((\d)+)-)",
        R"(x*)",
        R"()",
        R"(\d+中)",
        R"([^a]+\d)",
        R"(.+\d)",
        R"(\d+|a)",
        R"((\d)\1)",
        R"([a-c]+[+-]?\d+)",
        R"(\d+[+-]x*(\d+))",
        R"([0-2aB]+[*/|]\d+)",
    };
    const std::string alphabet[] = {"0", "1", "2", "3", "+", "-", "*",  "/",
                                    "|", "a", "A", "b", "B", "x", "中", " "};
    std::uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return (state >> 16) & 0x7FFF;
    };
    std::vector<std::string> subjects{""};
    for (int i = 0; i < 300; ++i) {
        std::string subject;
        // Mostly short subjects; some run past 16 and 64 bytes, where searches change gear.
        const auto length = i % 8 == 7 ? 20 + next() % 60 : next() % 16;
        for (std::uint32_t k = 0; k < length; ++k)
            subject += alphabet[next() % std::size(alphabet)];
        subjects.push_back(subject);
    }
    for (const char* pattern : patterns) {
        for (const bool ignoreCase : {false, true}) {
            const auto program = Compile(pattern, Flags{ignoreCase, false, false});
            ASSERT_NE(program, nullptr) << pattern;
            for (const std::string& subject : subjects) {
                // One searcher serves every start, as a global match uses it.
                Searcher searcher(*program, subject);
                for (std::size_t start = 0; start <= subject.size(); ++start) {
                    std::vector<int> fast;
                    std::vector<int> slow;
                    std::vector<int> reused;
                    const bool found = Search(*program, subject, start, fast);
                    ASSERT_EQ(found, SearchByBacktracking(*program, subject, start, slow))
                        << pattern << " in " << subject << " from " << start;
                    ASSERT_EQ(found, searcher.Next(start, reused)) << pattern << " in " << subject;
                    if (found) {
                        EXPECT_EQ(fast, slow) << pattern << " in " << subject;
                        EXPECT_EQ(reused, slow) << pattern << " in " << subject;
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace suantiji::regex
