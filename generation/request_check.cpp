#include "generation/request_check.h"

#include <cstdint>

#include "generation/random.h"

namespace suantiji {

namespace {

bool hasOperator(const GenerationRequest& request, const char* op) {
    for (const std::string& o : request.operators) {
        if (o == op) return true;
    }
    return false;
}

std::int64_t factorial(int n) {
    std::int64_t f = 1;
    for (int i = 2; i <= n; ++i) f *= i;
    return f;
}

}  // namespace

std::string ProblemMessage(RequestProblem problem) {
    switch (problem) {
        case RequestProblem::None:
            return {};
        case RequestProblem::OperandCount:
            return "运算元数必须在2到9之间，请重新选择运算元数。";
        case RequestProblem::Operators:
            return "请至少勾选加、减、乘、除中的一种运算。";
        case RequestProblem::NumberLimit:
            return "没有这样的题目：数字范围太小，请调大数字范围或减少运算元数。";
        case RequestProblem::AnswerLimit:
            return "没有这样的题目：答案范围太小，请调大答案范围或减少运算元数。";
        case RequestProblem::NoQuestion:
            return "没有这样的题目：请减少运算元数，或多勾选几种运算。";
        case RequestProblem::QuestionCount:
            return "出题数量必须在1到100之间，请重新选择出题数量。";
        case RequestProblem::BracketOperators:
            return "单一括号题型需要至少3个运算元，并同时勾选乘或除、加或减。";
        case RequestProblem::BudgetExhausted:
            return "符合条件的题目太少，请调大答案范围或数字范围，或减少运算元数。";
        case RequestProblem::ServiceUnavailable:
            return "计算组件无法使用，未能出题。";
    }
    return {};
}

RequestProblem CheckRequest(const GenerationRequest& request) {
    const int n = request.operandCount;
    if (n < kMinOperandCount || n > kMaxOperandCount) return RequestProblem::OperandCount;
    if (request.operators.empty()) return RequestProblem::Operators;
    for (const std::string& op : request.operators) {
        if (op != "+" && op != "-" && op != "*" && op != "/") return RequestProblem::Operators;
    }
    if (request.questionCount < 1 || request.questionCount > kMaxQuestionCount) {
        return RequestProblem::QuestionCount;
    }
    // Operands come from 1..numberLimit, or 1..32768 for a limit of 0 or below.
    const std::int64_t largest =
        static_cast<std::int64_t>(RandomSource::ReachableValues(1, request.numberLimit));
    if (largest < n) return RequestProblem::NumberLimit;

    const bool add = hasOperator(request, "+");
    const bool subtract = hasOperator(request, "-");
    const bool multiply = hasOperator(request, "*");
    const bool divide = hasOperator(request, "/");
    if (request.bracketsOnly && (n < 3 || !(multiply || divide) || !(add || subtract))) {
        return RequestProblem::BracketOperators;
    }
    if (request.answerLimit < 1) return RequestProblem::AnswerLimit;
    if (divide && !add && !subtract && !multiply) {
        // A quotient of distinct operands is whole only when the first operand is a multiple
        // of the product of all the others: 4 (4/1/2) for three operands, else 1*2*...*(n-1).
        const std::int64_t least = n == 3 ? 4 : factorial(n - 1);
        if (largest < least) {
            return least <= RandomSource::ReachableValues(1, 0) ? RequestProblem::NumberLimit
                                                                : RequestProblem::NoQuestion;
        }
    }
    // Bounds that need no search. Differences alone stay at or above 0 only when the first
    // operand covers all the others: it needs 1 + 2 + ... + (n - 1) at least.
    if (subtract && !add && !multiply && !divide && largest < std::int64_t{n} * (n - 1) / 2) {
        return RequestProblem::NumberLimit;
    }
    if (!subtract) {
        // Without "-" every answer is positive; sums and products of distinct operands have
        // known least values. A product of two parts is at least their sum unless one part is
        // the operand 1, so a mix of + and * comes to at least the sum of its operands less 1,
        // however the brackets fall.
        std::int64_t least = 1;
        if (add && !multiply && !divide) {
            least = std::int64_t{n} * (n + 1) / 2;
        } else if (multiply && !add && !divide) {
            least = factorial(n);
        } else if (!divide) {
            least = std::int64_t{n} * (n + 1) / 2 - 1;
        }
        if (request.answerLimit <= least) return RequestProblem::AnswerLimit;
    }
    return RequestProblem::None;
}

}  // namespace suantiji
