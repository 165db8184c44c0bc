#include "generation/question_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <set>

#include "generation/question_generator.h"
#include "tests/generation/question_reading.h"

namespace suantiji {
namespace {

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

// How many questions the search lists, each once.
std::size_t listed(const GenerationRequest& r) {
    QuestionSearch search(r, 99);
    std::set<std::string> seen;
    std::size_t visits = 0;
    const QuestionSearch::Result end =
        search.ForEach(UINT64_MAX, [&](const CandidateShape& shape, const std::int32_t* numbers) {
            ++visits;
            seen.insert(BracketedText(shape, numbers));
            return true;
        });
    EXPECT_EQ(end, QuestionSearch::Result::NoneLeft);
    EXPECT_EQ(visits, seen.size());
    return seen.size();
}

// Small requests, where every candidate can be tried: the request check and the search refuse
// exactly those that have no question, what the search finds obeys the request, and it lists
// every question there is. With and without whole steps.
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
                    const reading::WholeValues values = reading::wholeValues(r);
                    for (const bool steps : {false, true}) {
                        r.wholeSteps = steps;
                        for (int limit : {1, 2, 3, 5, 10, 30}) {
                            r.answerLimit = limit;
                            SCOPED_TRACE(std::to_string(n) + " operands, numbers to " +
                                         std::to_string(numbers) + ", answers below " +
                                         std::to_string(limit) + ", brackets " +
                                         std::to_string(brackets) + ", operators " + joined(ops) +
                                         (steps ? ", whole steps" : ""));
                            const std::size_t exist = values.below(limit, steps);
                            std::optional<Question> found;
                            if (CheckRequest(r) == RequestProblem::None) found = searchVerdict(r);
                            EXPECT_EQ(found.has_value(), exist > 0);
                            if (found) reading::expectObeys(*found, r);
                            if (limit == 3 || limit == 30) {
                                EXPECT_EQ(listed(r), exist);
                            }
                            ++(exist > 0 ? served : refused);
                        }
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
