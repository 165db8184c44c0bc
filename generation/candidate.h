#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "generation/generation_request.h"
#include "generation/random.h"
#include "services/pattern_matcher.h"

namespace suantiji {

// A candidate's form: its operators from left to right and the operands that the bracket step
// puts "(" before.
struct CandidateShape {
    int operands = 0;
    std::array<char, kMaxOperandCount - 1> ops{};
    int firstPair = -1;  // the operand after the first "(", or -1
    int secondPair = -1;

    bool opens(int operand) const { return operand == firstPair || operand == secondPair; }
};

// The bracket pattern: a product or quotient directly followed by a sum or difference. Every
// operand is digits, so where it matches depends on the operators alone.
inline constexpr const char* kBracketPattern = R"(\d+[\*|\/](\d+[\+|\-]\d+))";

// How many of the pattern's matches, from the first, take a pair: one under either option;
// under both, the pattern runs again over the bracketed text, where it finds what was the
// second match.
int PairsTaken(bool mixedBrackets, bool bracketsOnly, int matches);

// Fills in the pairs the bracket step gives these operators under the two options, reading
// the pattern's matches off the operators. False when bracketsOnly would throw such a
// candidate away (it has no place for a pair).
bool PlacePairs(CandidateShape& shape, bool mixedBrackets, bool bracketsOnly);

// What the bracket step did to a candidate.
enum class Bracketing {
    Failed,     // the matcher did not work
    NoMatch,    // the pattern found nothing: the candidate is as it was
    Bracketed,  // one pair, or two when both options are set and the pattern matched twice
};

// The bracket step for one candidate, with the matcher. Drawing afresh when bracketsOnly
// finds nothing is left to the caller.
Bracketing BracketCandidate(std::string& q, PatternMatcher& matcher, bool mixed, bool only);

// The candidate's text before the bracket step: the numbers joined by the operators.
void WriteFlatText(const CandidateShape& shape, const std::int32_t* numbers, std::string& out);
std::string FlatText(const CandidateShape& shape, const std::int32_t* numbers);

// The candidate's text after the bracket step.
std::string BracketedText(const CandidateShape& shape, const std::int32_t* numbers);

// Draws candidates as the loop does: distinct operands, then each operator slot from left to
// right.
class CandidateBuilder {
public:
    CandidateBuilder(const GenerationRequest& request, RandomSource& random);
    void Build(std::string& q);

private:
    const GenerationRequest& m_request;
    RandomSource& m_random;
    std::vector<char> m_operators;
    std::vector<std::int32_t> m_numbers;
    CandidateShape m_shape;
};

}  // namespace suantiji
