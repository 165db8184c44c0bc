#pragma once

#include <string>

#include "generation/generation_request.h"

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

// One short sentence for the teacher; empty for None.
std::string ProblemMessage(RequestProblem problem);

// The limits a request must respect before anything is drawn, and the bounds that rule out a
// request without any search.
RequestProblem CheckRequest(const GenerationRequest& request);

}  // namespace suantiji
