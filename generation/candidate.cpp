#include "generation/candidate.h"

#include <algorithm>
#include <charconv>

namespace suantiji {

namespace {

bool isProduct(char op) { return op == '*' || op == '/'; }
bool isSum(char op) { return op == '+' || op == '-'; }

// Where the pattern's next match at or after operator `from` starts: the first "*" or "/"
// directly followed by a "+" or "-".
int findMatch(const CandidateShape& shape, int from) {
    for (int i = from; i + 2 < shape.operands; ++i) {
        if (isProduct(shape.ops[static_cast<std::size_t>(i)]) &&
            isSum(shape.ops[static_cast<std::size_t>(i) + 1])) {
            return i;
        }
    }
    return -1;
}

// Brackets the group of match `index` (1-based) of the matcher's latest run over q.
Bracketing bracketMatch(std::string& q, const PatternMatcher& matcher, int index) {
    int position = -1;
    const std::string group = matcher.SubMatchText(index, 1, &position);
    if (group.empty() || position < 0 ||
        static_cast<std::size_t>(position) + group.size() > q.size()) {
        return Bracketing::Failed;
    }
    const auto at = static_cast<std::size_t>(position);
    q.insert(at + group.size(), 1, ')');
    q.insert(at, 1, '(');
    return Bracketing::Bracketed;
}

}  // namespace

int PairsTaken(bool mixedBrackets, bool bracketsOnly, int matches) {
    const int most = mixedBrackets && bracketsOnly ? 2 : mixedBrackets || bracketsOnly ? 1 : 0;
    return std::min(most, matches);
}

bool PlacePairs(CandidateShape& shape, bool mixedBrackets, bool bracketsOnly) {
    shape.firstPair = shape.secondPair = -1;
    int matches[2];
    int count = 0;
    // A match takes three operands, and the next one starts past them.
    for (int at = findMatch(shape, 0); at >= 0 && count < 2; at = findMatch(shape, at + 3)) {
        matches[count++] = at;
    }
    const int pairs = PairsTaken(mixedBrackets, bracketsOnly, count);
    if (pairs >= 1) shape.firstPair = matches[0] + 1;
    if (pairs >= 2) shape.secondPair = matches[1] + 1;
    return !bracketsOnly || pairs >= 1;
}

Bracketing BracketCandidate(std::string& q, PatternMatcher& matcher, bool mixed, bool only) {
    if (!mixed && !only) return Bracketing::NoMatch;
    if (!matcher.Match(kBracketPattern, q)) return Bracketing::Failed;
    const int pairs = PairsTaken(mixed, only, matcher.MatchCount());
    if (pairs == 0) return Bracketing::NoMatch;
    // The second run of the pattern, over the text with the first pair, is read off the first
    // run. No match can hold a bracket. Before the pair there is no whole match: the first
    // match was the leftmost, and its part before the pair is digits and one operator. After
    // the pair comes the text the first run went on to search from the end of its first
    // match. So the second run finds the first run's second match. The later pair goes in
    // first, so that the earlier one's place stays where the run found it.
    for (int index = pairs; index >= 1; --index) {
        if (bracketMatch(q, matcher, index) == Bracketing::Failed) return Bracketing::Failed;
    }
    return Bracketing::Bracketed;
}

void WriteFlatText(const CandidateShape& shape, const std::int32_t* numbers, std::string& out) {
    char buffer[128];
    char* p = buffer;
    for (int i = 0; i < shape.operands; ++i) {
        p = std::to_chars(p, buffer + sizeof buffer, numbers[i]).ptr;
        if (i + 1 < shape.operands) *p++ = shape.ops[static_cast<std::size_t>(i)];
    }
    out.assign(buffer, p);
}

std::string FlatText(const CandidateShape& shape, const std::int32_t* numbers) {
    std::string text;
    WriteFlatText(shape, numbers, text);
    return text;
}

std::string BracketedText(const CandidateShape& shape, const std::int32_t* numbers) {
    char buffer[128];
    char* p = buffer;
    for (int i = 0; i < shape.operands; ++i) {
        if (shape.opens(i)) *p++ = '(';
        p = std::to_chars(p, buffer + sizeof buffer, numbers[i]).ptr;
        if (i > 0 && shape.opens(i - 1)) *p++ = ')';
        if (i + 1 < shape.operands) *p++ = shape.ops[static_cast<std::size_t>(i)];
    }
    return std::string(buffer, p);
}

CandidateBuilder::CandidateBuilder(const GenerationRequest& request, RandomSource& random)
    : m_request(request), m_random(random) {
    m_operators.reserve(request.operators.size());
    for (const std::string& op : request.operators) m_operators.push_back(op[0]);
    m_shape.operands = request.operandCount;
}

void CandidateBuilder::Build(std::string& q) {
    m_random.DrawDistinctNumbers(m_request.operandCount, 1, m_request.numberLimit, m_numbers);
    const auto kinds = static_cast<std::int32_t>(m_operators.size());
    for (int i = 0; i + 1 < m_shape.operands; ++i) {
        m_shape.ops[static_cast<std::size_t>(i)] =
            m_operators[static_cast<std::size_t>(m_random.RandomInRange(1, kinds) - 1)];
    }
    WriteFlatText(m_shape, m_numbers.data(), q);
}

}  // namespace suantiji
