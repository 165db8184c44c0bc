#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

// A compact backtracking engine for ECMAScript regular expressions over UTF-8 text:
// alternation, greedy and lazy quantifiers, capturing and non-capturing groups, lookahead,
// back references, character classes with \d \w \s and their negations, ^ $ \b \B.
// Letters compare without case as ASCII when asked.
namespace suantiji::regex {

struct Flags {
    bool ignoreCase = false;
    bool multiline = false;
    bool dotAll = false;
};

class Program;

// Null when the pattern is not a valid regular expression.
std::shared_ptr<const Program> Compile(std::string_view pattern, Flags flags);

// Number of capture groups, not counting the whole match.
int GroupCount(const Program& program);

// Searches from byte offset `start`. On success `captures` holds 2 * (GroupCount + 1) byte
// offsets (begin, end) per group, -1 for a group that took no part. False when there is no
// match, and also when the search gave up (see `aborted`) because the pattern backtracks
// without end.
bool Search(const Program& program, std::string_view subject, std::size_t start,
            std::vector<int>& captures, bool* aborted = nullptr);

// Searches one subject again and again from later offsets, as a global match does: what depends
// on the subject alone is worked out once.
class Searcher {
public:
    static constexpr std::size_t kMaxMasks = 8;

    Searcher(const Program& program, std::string_view subject);
    // As Search, from byte offset `start`.
    bool Next(std::size_t start, std::vector<int>& captures, bool* aborted = nullptr);

private:
    bool nextMasked(std::size_t start, std::vector<int>& captures) const;

    const Program& m_program;
    std::string_view m_subject;
    std::array<std::uint64_t, kMaxMasks> m_masks{};
    std::uint64_t m_good = 0;  // the places an attempt succeeds from
    bool m_masked = false;
};

// The same through the general backtracking engine alone, never a shortcut; for checking
// that Search's shortcuts agree with it.
bool SearchByBacktracking(const Program& program, std::string_view subject, std::size_t start,
                          std::vector<int>& captures, bool* aborted = nullptr);

}  // namespace suantiji::regex
