#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "generation/generation_request.h"
#include "generation/random.h"
#include "services/expression_evaluator.h"
#include "services/pattern_matcher.h"

namespace suantiji {

// Why a request gave no questions; each names the choice to change.
enum class RequestProblem {
    None,
    OperandCount,        // outside 2..9
    Operators,           // none enabled, or one that is not + - * /
    NumberLimit,         // no question exists: too few numbers (a wider range would have some)
    AnswerLimit,         // no question exists: every answer is too large, or the limit below 1
    NoQuestion,          // no question exists, and neither range alone would give one
    QuestionCount,       // outside 1..100
    BracketOperators,    // brackets on every question need 3 operands, * or / and + or -
    BudgetExhausted,     // questions could neither be found nor ruled out in time
    ServiceUnavailable,  // the evaluator or the matcher did not work
};

inline constexpr int kMaxQuestionCount = 100;
inline constexpr std::chrono::milliseconds kDefaultSearchBudget{3000};

// The bracket pattern: a product or quotient directly followed by a sum or difference.
inline constexpr const char* kBracketPattern = R"(\d+[\*|\/](\d+[\+|\-]\d+))";

// What the bracket step did to a candidate.
enum class Bracketing {
    Failed,     // the matcher did not work
    NoMatch,    // the pattern found nothing: the candidate is as it was
    Bracketed,  // one pair, or two when both options are set and the pattern matched twice
};

// The bracket step for one candidate: with `mixed`, the first match of the bracket pattern is
// bracketed; with `only` the pattern is then run again over the result, which may add a second
// pair. Drawing afresh when `only` finds nothing is left to the caller.
Bracketing BracketCandidate(std::string& q, PatternMatcher& matcher, bool mixed, bool only);

// One short sentence for the teacher; empty for None.
std::string ProblemMessage(RequestProblem problem);

// The limits a request must respect before anything is drawn.
RequestProblem CheckRequest(const GenerationRequest& request);

struct GenerationOutcome {
    std::vector<Question> questions;  // empty when there is a problem
    RequestProblem problem = RequestProblem::None;
    std::uint64_t candidates = 0;  // candidate expressions built, accepted or not
};

// How a list is filled once the request has passed its checks.
enum class Strategy {
    LoopThenSearch,  // the candidate loop, and a directed search when the loop is too slow
    LoopOnly,        // the candidate loop alone, until the budget runs out
};

// The loop hands over when it sees it would need longer than this to fill the list.
inline constexpr std::chrono::milliseconds kHandOverAfter{100};

// Draws candidates until questionCount are accepted, or reports why it cannot. Where the
// candidate loop would take too long, a directed search (question_search.h) finishes the list
// with candidates of the same form that pass the same evaluation and acceptance, or proves
// that the request admits no question. The budget counts the calling thread's processor time
// from the end of the first few thousand candidates (a few milliseconds), when the clock is
// first read.
GenerationOutcome GenerateQuestions(const GenerationRequest& request, PatternMatcher& matcher,
                                    ExpressionEvaluator& evaluator, RandomSource& random,
                                    std::chrono::milliseconds budget = kDefaultSearchBudget,
                                    Strategy strategy = Strategy::LoopThenSearch);

// The acceptance rule for an answer text: plain digits (a leading "-" allowed), no ".", and a
// value from 0 to below answerLimit. An empty text is a failed evaluation, never 0.
bool IsAcceptedAnswer(const std::string& answer, std::int32_t answerLimit);

// What the acceptance rule makes of one evaluation result.
enum class Acceptance { Accepted, Rejected, Failed };

// The acceptance rule applied to the evaluator's result before it becomes text; `answer`
// receives the text of an accepted result. A number that cannot read as a whole answer in
// range, even once rounded to 15 significant digits, is rejected without being written out;
// any other result is written and judged by IsAcceptedAnswer, so the outcome is the same as
// judging every text. Failed: the call failed or gave an empty text.
Acceptance AcceptValue(AutomationValue&& value, std::int32_t answerLimit, std::string& answer);

}  // namespace suantiji
