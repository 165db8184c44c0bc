#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "generation/generation_request.h"
#include "generation/random.h"
#include "generation/request_check.h"
#include "services/expression_evaluator.h"
#include "services/pattern_matcher.h"

namespace suantiji {

inline constexpr std::chrono::milliseconds kDefaultSearchBudget{3000};

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

}  // namespace suantiji
