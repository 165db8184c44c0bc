#include "generation/question_search.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "generation/question_generator.h"
#include "tests/generation/question_reading.h"

namespace suantiji {
namespace {

// The smallest whole value from 0 up that any candidate of the request has, found by trying
// every operator list and every list of distinct operands, judged by the test's own reading.
std::optional<std::int64_t> smallestWholeAnswer(const GenerationRequest& r) {
    const int n = r.operandCount;
    std::optional<std::int64_t> best;
    std::vector<char> ops(static_cast<std::size_t>(n - 1));
    std::vector<std::int64_t> numbers;
    std::vector<bool> used(static_cast<std::size_t>(r.numberLimit) + 1);
    const std::function<void()> operands = [&] {
        if (numbers.size() == static_cast<std::size_t>(n)) {
            reading::Parsed p;
            p.numbers = numbers;
            p.ops = ops;
            const int first = reading::firstBracketPlace(ops, 0);
            if ((r.mixedBrackets || r.bracketsOnly) && first >= 0) p.bracketed.push_back(first + 1);
            if (r.bracketsOnly && first < 0) return;
            if (r.mixedBrackets && r.bracketsOnly && first >= 0) {
                const int second =
                    reading::firstBracketPlace(ops, static_cast<std::size_t>(first) + 3);
                if (second >= 0) p.bracketed.push_back(second + 1);
            }
            const reading::Rational v = reading::exactValue(p);
            if (v.den == 1 && v.num >= 0 && (!best || v.num < *best)) {
                best = static_cast<std::int64_t>(v.num);
            }
            return;
        }
        for (std::int64_t v = 1; v <= r.numberLimit; ++v) {
            if (used[static_cast<std::size_t>(v)]) continue;
            used[static_cast<std::size_t>(v)] = true;
            numbers.push_back(v);
            operands();
            numbers.pop_back();
            used[static_cast<std::size_t>(v)] = false;
        }
    };
    const std::function<void(std::size_t)> operators = [&](std::size_t slot) {
        if (slot == ops.size()) return operands();
        for (const std::string& op : r.operators) {
            ops[slot] = op[0];
            operators(slot + 1);
        }
    };
    operators(0);
    return best;
}

std::string joined(const std::vector<std::string>& ops) {
    std::string text;
    for (const std::string& op : ops) text += op;
    return text;
}

// The search's verdict, run until it finds a question or has ruled every shape out.
std::optional<Question> searchVerdict(const GenerationRequest& r) {
    QuestionSearch search(r, 12345);
    CandidateShape shape;
    std::int32_t numbers[kMaxOperandCount];
    for (int turn = 0; turn < 1'000'000; ++turn) {
        const QuestionSearch::Result result =
            turn % 2 == 0 ? search.Prove(shape, numbers) : search.Sample(1024, shape, numbers);
        if (result == QuestionSearch::Result::NoneLeft) return std::nullopt;
        if (result == QuestionSearch::Result::Found) {
            const Question q{BracketedText(shape, numbers), ""};
            const reading::Rational v = reading::exactValue(reading::parse(q.expression));
            return Question{q.expression, std::to_string(static_cast<long long>(v.num))};
        }
    }
    ADD_FAILURE() << "the search neither found nor ruled out";
    return std::nullopt;
}

// Small requests, where every candidate can be tried: the request check and the search refuse
// exactly those that have no question, and what the search finds obeys the request.
TEST(QuestionSearch, AgreesWithTryingEveryCandidate) {
    const std::vector<std::vector<std::string>> operatorSets = {
        {"+"},           {"-"},
        {"*"},           {"/"},
        {"+", "-"},      {"+", "*"},
        {"+", "/"},      {"-", "*"},
        {"-", "/"},      {"*", "/"},
        {"+", "-", "*"}, {"+", "*", "/"},
        {"-", "*", "/"}, {"+", "-", "*", "/"}};
    const int largestFor[] = {0, 0, 10, 7, 6, 5};  // number limits up to this, by operand count
    int refused = 0;
    int served = 0;
    for (int n = 2; n <= 5; ++n) {
        for (const std::vector<std::string>& ops : operatorSets) {
            for (int numbers = n; numbers <= largestFor[n]; ++numbers) {
                for (int brackets = 0; brackets < 3; ++brackets) {
                    GenerationRequest r =
                        reading::make(n, ops, numbers, 1, 1, brackets == 1, brackets == 2);
                    if (brackets == 2 && CheckRequest(r) == RequestProblem::BracketOperators) {
                        continue;
                    }
                    const std::optional<std::int64_t> smallest = smallestWholeAnswer(r);
                    for (int limit : {1, 2, 3, 5, 10, 30}) {
                        r.answerLimit = limit;
                        SCOPED_TRACE(std::to_string(n) + " operands, numbers to " +
                                     std::to_string(numbers) + ", answers below " +
                                     std::to_string(limit) + ", brackets " +
                                     std::to_string(brackets) + ", operators " + joined(ops));
                        const bool exists = smallest && *smallest < limit;
                        std::optional<Question> found;
                        if (CheckRequest(r) == RequestProblem::None) found = searchVerdict(r);
                        EXPECT_EQ(found.has_value(), exists);
                        if (found) reading::expectObeys(*found, r);
                        ++(exists ? served : refused);
                    }
                }
            }
        }
    }
    EXPECT_GT(refused, 100);  // both verdicts are exercised
    EXPECT_GT(served, 100);
}

}  // namespace
}  // namespace suantiji
