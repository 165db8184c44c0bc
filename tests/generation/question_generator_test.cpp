#include "generation/question_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <map>
#include <set>

#include "generation/acceptance.h"
#include "generation/candidate.h"
#include "generation/question_search.h"
#include "services/number_text.h"
#include "tests/generation/question_reading.h"
#include "tests/support/test_random.h"

namespace suantiji {
namespace {

using reading::expectObeys;
using reading::make;

using std::chrono::milliseconds;

// --- every question obeys its request ---

struct RequestCase {
    const char* name;
    GenerationRequest request;
};

class GenerateTest : public testing::TestWithParam<RequestCase> {};

TEST_P(GenerateTest, EveryQuestionObeysTheRequest) {
    const GenerationRequest& r = GetParam().request;
    PatternMatcher matcher;
    ExpressionEvaluator evaluator;
    RandomSource random;
    const GenerationOutcome outcome =
        GenerateQuestions(r, matcher, evaluator, random, std::chrono::seconds(60));
    ASSERT_EQ(outcome.problem, RequestProblem::None) << ProblemMessage(outcome.problem);
    ASSERT_EQ(outcome.questions.size(), static_cast<std::size_t>(r.questionCount));
    EXPECT_GE(outcome.candidates, outcome.questions.size());
    for (const Question& q : outcome.questions) expectObeys(q, r);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, GenerateTest,
    testing::Values(
        RequestCase{"Defaults", GenerationRequest{}},
        RequestCase{"OnlyTheSmallestSum", make(2, {"+"}, 100, 4, 20)},
        RequestCase{"OnlyTheSmallestProduct", make(2, {"*"}, 100, 3, 20)},
        RequestCase{"EveryNumberOnce", make(5, {"+", "-"}, 5, 1000, 50)},
        RequestCase{"ZeroAnswers", make(3, {"-"}, 100, 1, 100)},
        RequestCase{"WholeQuotients", make(3, {"/"}, 100, 1000, 50)},
        RequestCase{"WideNumberRange", make(2, {"-"}, 0, 100, 10)},
        RequestCase{"MixedBrackets", make(4, {"+", "-", "*", "/"}, 100, 1000, 100, true)},
        RequestCase{"BracketsOnlySmall", make(3, {"+", "*"}, 10, 100, 50, false, true)},
        RequestCase{"BracketsOnly", make(6, {"+", "-", "*", "/"}, 100, 100, 50, false, true)},
        RequestCase{"BothBracketOptions",
                    make(6, {"+", "-", "*", "/"}, 100, 1000, 100, true, true)},
        RequestCase{"NineOperandsNarrow", make(9, {"+", "-", "*", "/"}, 100, 10, 3, true, true)},
        // Rare enough that the search finishes them.
        RequestCase{"DivisionChain", make(5, {"/"}, 100, 1000, 100)},
        RequestCase{"LongSum", make(9, {"+"}, 100, 100, 100)},
        RequestCase{"LongDifference", make(9, {"-"}, 100, 1000, 100)},
        RequestCase{"QuotientsOfSumsOnly", make(8, {"+", "/"}, 100, 50, 100, false, true)},
        RequestCase{"NineOperandsEveryOption",
                    make(9, {"+", "-", "*", "/"}, 100, 10, 100, true, true)},
        // Long division chains whose 15-digit values look whole: keys must be exact.
        RequestCase{"DivisionChainsUpTo1000", make(9, {"+", "-", "/"}, 1000, 1000, 100)},
        RequestCase{"EveryOperatorUpTo1000", make(8, {"+", "-", "*", "/"}, 1000, 1000, 100)},
        RequestCase{"DivisionChainsUpTo32768", make(9, {"+", "-", "/"}, 0, 100000, 100)},
        // Beyond the usual ranges: numbers up to 32768 with answers of a few units.
        RequestCase{"QuotientsAddingUpToOne", make(9, {"+", "/"}, 0, 2, 100)},
        RequestCase{"SmallProductOfADifference", make(3, {"-", "*"}, 5000, 20, 100, false, true)},
        RequestCase{"NegativeNumberLimit", make(3, {"+", "-", "*"}, -5, 5, 100)},
        RequestCase{"LongProductsAndQuotients", make(9, {"*", "/"}, 0, 2978, 100)}),
    [](const testing::TestParamInfo<RequestCase>& info) { return std::string(info.param.name); });

TEST(GenerateQuestions, SearchedSheetsVaryAndDoNotRepeat) {
    PatternMatcher matcher;
    ExpressionEvaluator evaluator;
    RandomSource random;
    // About a thousand questions, all 1*(b-c)=1 (b from 3 to 1000).
    const GenerationOutcome few = GenerateQuestions(make(3, {"-", "*"}, 1000, 2, 100, false, true),
                                                    matcher, evaluator, random);
    std::set<std::string> distinct;
    for (const Question& q : few.questions) distinct.insert(q.expression);
    EXPECT_EQ(distinct.size(), 100u);

    // The loop hands this one over at once: one draw in some ten thousand is kept.
    const GenerationRequest r = make(9, {"+", "-", "*", "/"}, 100, 10, 100, true, true);
    std::set<std::string> sheets[2];
    for (std::set<std::string>& sheet : sheets) {
        const GenerationOutcome outcome = GenerateQuestions(r, matcher, evaluator, random);
        ASSERT_EQ(outcome.problem, RequestProblem::None);
        std::set<std::int64_t> operands;
        std::set<char> operators;
        for (const Question& q : outcome.questions) {
            sheet.insert(q.expression);
            const reading::Parsed p = reading::parse(q.expression);
            operands.insert(p.numbers.begin(), p.numbers.end());
            operators.insert(p.ops.begin(), p.ops.end());
        }
        EXPECT_EQ(sheet.size(), 100u);
        EXPECT_EQ(operators.size(), 4u);
        EXPECT_GT(operands.size(), 80u);  // spread over 1..100, not the smallest few
    }
    std::vector<std::string> shared;
    std::set_intersection(sheets[0].begin(), sheets[0].end(), sheets[1].begin(), sheets[1].end(),
                          std::back_inserter(shared));
    EXPECT_LT(shared.size(), 5u);
}

TEST(GenerateQuestions, FewQuestionsAreAllUsedBeforeAnyRepeats) {
    // Only 24 questions exist: 24 divided by 1, 2, 3 and 4 in any order.
    PatternMatcher matcher;
    ExpressionEvaluator evaluator;
    RandomSource random;
    for (const auto& [count, distinct] : {std::pair{20, 20u}, {30, 24u}}) {
        const GenerationOutcome outcome =
            GenerateQuestions(make(5, {"/"}, 24, 1000, count), matcher, evaluator, random);
        ASSERT_EQ(outcome.questions.size(), static_cast<std::size_t>(count));
        std::set<std::string> seen;
        for (const Question& q : outcome.questions) {
            expectObeys(q, make(5, {"/"}, 24, 1000, count));
            seen.insert(q.expression);
        }
        EXPECT_EQ(seen.size(), distinct);
    }
}

// Without repeats a sheet holds as many different questions as it can, min(count, D) for the D
// questions that trying every candidate finds, and repeats, where it must have them, evenly.
TEST(GenerateQuestions, WithoutRepeatsEveryQuestionBeforeAnyComesTwice) {
    PatternMatcher matcher;
    ExpressionEvaluator evaluator;
    RandomSource random;
    const GenerationRequest requests[] = {
        make(2, {"+", "-"}, 10, 20, 100), make(2, {"/"}, 9, 10, 10),
        make(2, {"*"}, 10, 100, 50),      make(2, {"+", "-"}, 5, 10, 100),
        make(3, {"-", "/"}, 6, 4, 100),   make(4, {"+", "*"}, 5, 30, 60)};
    for (GenerationRequest r : requests) {
        r.noRepeats = true;
        for (const bool steps : {false, true}) {
            r.wholeSteps = steps;
            const std::size_t exist = reading::wholeValues(r).below(r.answerLimit, steps);
            SCOPED_TRACE(std::to_string(r.operandCount) + " operands" +
                         (steps ? ", whole steps: " : ": ") + std::to_string(exist) + " exist");
            const GenerationOutcome outcome = GenerateQuestions(r, matcher, evaluator, random);
            ASSERT_EQ(outcome.problem, RequestProblem::None);
            std::map<std::string, int> times;
            for (const Question& q : outcome.questions) {
                expectObeys(q, r);
                ++times[q.expression];
            }
            EXPECT_EQ(times.size(), std::min<std::size_t>(exist, outcome.questions.size()));
            const auto [least, most] = std::minmax_element(
                times.begin(), times.end(), [](auto& a, auto& b) { return a.second < b.second; });
            EXPECT_LE(most->second - least->second, 1);
        }
    }
}

TEST(GenerateQuestions, EveryNumberOnceCoversThemAll) {
    PatternMatcher matcher;
    ExpressionEvaluator evaluator;
    RandomSource random;
    const GenerationRequest r = make(4, {"+"}, 4, 1000, 30);
    const GenerationOutcome outcome = GenerateQuestions(r, matcher, evaluator, random);
    ASSERT_EQ(outcome.questions.size(), 30u);
    for (const Question& q : outcome.questions) EXPECT_EQ(q.answer, "10");
}

// --- the bracket step ---

// The step as written out: a first pair under "mixed", then under "only" the pattern run once
// more over the result.
std::string bracketedLiterally(std::string q, bool mixed, bool only) {
    PatternMatcher matcher;
    auto bracketFirst = [&matcher](std::string& text) {
        EXPECT_TRUE(matcher.Match(kBracketPattern, text));
        if (matcher.MatchCount() == 0) return;
        int position = -1;
        const std::string group = matcher.SubMatchText(1, 1, &position);
        text.insert(static_cast<std::size_t>(position) + group.size(), 1, ')');
        text.insert(static_cast<std::size_t>(position), 1, '(');
    };
    if (mixed) bracketFirst(q);
    if (only) bracketFirst(q);
    return q;
}

TEST(BracketCandidate, GivesWhatRunningThePatternAgainGives) {
    TestRandom random(5);
    auto next = [&random](int n) {
        return static_cast<int>(random.Below(static_cast<std::uint32_t>(n)));
    };
    std::vector<std::string> texts = {"12+5*3-4",   "1*2+3-4*5+6",   "9*1-2*5+1", "3*4*5+6",
                                      "4*12+3*5-6", "1*2+3*4+5*6-7", "2+3-4",     "6*3"};
    for (int i = 0; i < 5000; ++i) {
        const int count = 3 + next(7);
        std::string text = std::to_string(1 + next(i % 3 == 0 ? 10 : 1000));
        for (int k = 1; k < count; ++k) {
            text += "+-*/"[next(4)];
            text += std::to_string(1 + next(i % 3 == 0 ? 10 : 1000));
        }
        texts.push_back(text);
    }
    PatternMatcher matcher;
    int twoPairs = 0;
    for (const std::string& text : texts) {
        for (const auto& [mixed, only] : {std::pair{true, false}, {false, true}, {true, true}}) {
            SCOPED_TRACE(text + (mixed ? " mixed" : "") + (only ? " only" : ""));
            const std::string expected = bracketedLiterally(text, mixed, only);
            std::string q = text;
            const Bracketing bracketing = BracketCandidate(q, matcher, mixed, only);
            EXPECT_EQ(q, expected);
            EXPECT_EQ(bracketing, expected == text ? Bracketing::NoMatch : Bracketing::Bracketed);
            // The search's own reading of where the pairs go.
            const reading::Parsed p = reading::parse(text);
            CandidateShape shape;
            shape.operands = static_cast<int>(p.numbers.size());
            std::copy(p.ops.begin(), p.ops.end(), shape.ops.begin());
            const std::vector<std::int32_t> numbers(p.numbers.begin(), p.numbers.end());
            if (PlacePairs(shape, mixed, only)) {
                EXPECT_EQ(BracketedText(shape, numbers.data()), expected);
            } else {
                EXPECT_TRUE(only && bracketing == Bracketing::NoMatch);
            }
            if (std::count(q.begin(), q.end(), '(') == 2) ++twoPairs;
        }
    }
    EXPECT_GT(twoPairs, 100);  // the second pair is exercised, not only the first
}

// --- requests that cannot be served ---

struct CheckCase {
    const char* name;
    GenerationRequest request;
    RequestProblem problem;
};

class CheckRequestTest : public testing::TestWithParam<CheckCase> {};

TEST_P(CheckRequestTest, NamesTheLimitThatFails) {
    EXPECT_EQ(CheckRequest(GetParam().request), GetParam().problem);
}

GenerationRequest brackets(int operands, std::vector<std::string> ops) {
    return make(operands, std::move(ops), 100, 1000, 10, false, true);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, CheckRequestTest,
    testing::Values(
        CheckCase{"Defaults", GenerationRequest{}, RequestProblem::None},
        CheckCase{"OneOperand", make(1, {"+"}, 100, 1000, 10), RequestProblem::OperandCount},
        CheckCase{"TenOperands", make(10, {"+"}, 100, 1000, 10), RequestProblem::OperandCount},
        CheckCase{"NoOperators", make(4, {}, 100, 1000, 10), RequestProblem::Operators},
        CheckCase{"StrangeOperator", make(4, {"+", "x"}, 100, 1000, 10), RequestProblem::Operators},
        CheckCase{"NoQuestions", make(4, {"+"}, 100, 1000, 0), RequestProblem::QuestionCount},
        CheckCase{"TooManyQuestions", make(4, {"+"}, 100, 1000, 101),
                  RequestProblem::QuestionCount},
        CheckCase{"TooFewNumbers", make(4, {"+", "-"}, 3, 1000, 10), RequestProblem::NumberLimit},
        CheckCase{"JustEnoughNumbers", make(4, {"+", "-"}, 4, 1000, 10), RequestProblem::None},
        CheckCase{"NegativeNumberLimit", make(4, {"+", "-"}, -5, 1000, 10), RequestProblem::None},
        CheckCase{"ZeroAnswerLimit", make(4, {"+", "-"}, 100, 0, 10), RequestProblem::AnswerLimit},
        CheckCase{"BracketsTwoOperands", brackets(2, {"+", "*"}), RequestProblem::BracketOperators},
        CheckCase{"BracketsNoProduct", brackets(4, {"+", "-"}), RequestProblem::BracketOperators},
        CheckCase{"BracketsNoSum", brackets(4, {"*", "/"}), RequestProblem::BracketOperators},
        CheckCase{"BracketsDivideSubtract", brackets(3, {"-", "/"}), RequestProblem::None},
        CheckCase{"SumTooBig", make(2, {"+"}, 100, 3, 10), RequestProblem::AnswerLimit},
        CheckCase{"SumFits", make(2, {"+"}, 100, 4, 10), RequestProblem::None},
        CheckCase{"ProductTooBig", make(3, {"*"}, 100, 6, 10), RequestProblem::AnswerLimit},
        CheckCase{"ProductFits", make(3, {"*"}, 100, 7, 10), RequestProblem::None},
        CheckCase{"MixTooBig", make(3, {"+", "*"}, 100, 5, 10), RequestProblem::AnswerLimit},
        CheckCase{"MixFits", make(3, {"+", "*"}, 100, 6, 10), RequestProblem::None},
        CheckCase{"QuotientsNeedRoom", make(5, {"/"}, 23, 1000, 10), RequestProblem::NumberLimit},
        CheckCase{"QuotientsFit", make(5, {"/"}, 24, 1000, 10), RequestProblem::None},
        CheckCase{"QuotientsNeverFit", make(9, {"/"}, 0, 1000, 10), RequestProblem::NoQuestion},
        CheckCase{"DifferencesNeedRoom", make(5, {"-"}, 9, 1000, 10), RequestProblem::NumberLimit},
        CheckCase{"DifferencesFit", make(5, {"-"}, 10, 1000, 10), RequestProblem::None},
        CheckCase{"ZeroNeedsSubtraction", make(3, {"+", "/"}, 100, 1, 10),
                  RequestProblem::AnswerLimit},
        CheckCase{"ZeroWithSubtraction", make(3, {"-"}, 100, 1, 10), RequestProblem::None}),
    [](const testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

TEST(GenerateQuestions, RefusedRequestsDrawNothing) {
    PatternMatcher matcher;
    ExpressionEvaluator evaluator;
    int reads = 0;
    RandomSource counted([&reads] { return static_cast<std::uint64_t>(++reads); });
    const GenerationOutcome outcome =
        GenerateQuestions(make(2, {"+"}, 100, 3, 10), matcher, evaluator, counted);
    EXPECT_EQ(outcome.problem, RequestProblem::AnswerLimit);
    EXPECT_TRUE(outcome.questions.empty());
    EXPECT_EQ(reads, 0);
    EXPECT_EQ(ProblemMessage(outcome.problem),
              "没有这样的题目：答案范围太小，请调大答案范围或减少运算元数。");
}

TEST(GenerateQuestions, ImpossibleRequestsSayWhichRangeToWiden) {
    struct Case {
        const char* why;
        GenerationRequest request;
        RequestProblem problem;
    };
    const Case cases[] = {
        {"four distinct divisors make at least 1*2*3*4 = 24", make(5, {"/"}, 20, 1000, 100),
         RequestProblem::NumberLimit},
        {"seven distinct numbers under + and * make at least 1+2+...+7-1 = 27",
         make(7, {"+", "*"}, 20, 20, 100), RequestProblem::AnswerLimit},
        {"no operand passes 32768, and eight divisors make at least 8! = 40320",
         make(9, {"/"}, 1000, 1000, 100), RequestProblem::NoQuestion},
        {"found by the search: no whole 0 or 1 from three distinct numbers up to 5",
         make(3, {"/"}, 5, 2, 10), RequestProblem::AnswerLimit},
        {"a quotient of 1 to 9 keeps the 5 and the 7 it cannot cancel",
         make(9, {"*", "/"}, 9, 2, 100), RequestProblem::AnswerLimit},
        {"a/(b-c) is never 0", make(3, {"-", "/"}, 7293, 1, 100, false, true),
         RequestProblem::AnswerLimit},
    };
    PatternMatcher matcher;
    ExpressionEvaluator evaluator;
    RandomSource random;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const GenerationOutcome outcome =
            GenerateQuestions(c.request, matcher, evaluator, random, std::chrono::seconds(60));
        EXPECT_EQ(outcome.problem, c.problem);
        EXPECT_TRUE(outcome.questions.empty());
        EXPECT_EQ(ProblemMessage(outcome.problem).rfind("没有这样的题目：", 0), 0u);
    }

    // Two distinct numbers never differ by 0, and a counter that never moves must keep neither
    // the loop nor the search from saying so.
    RandomSource stuck([] { return std::uint64_t{7}; });
    EXPECT_EQ(GenerateQuestions(make(2, {"-"}, 100, 1, 10), matcher, evaluator, stuck).problem,
              RequestProblem::AnswerLimit);
}

TEST(GenerateQuestions, BudgetEndsWhatCanNeitherBeServedNorRuledOut) {
    // Nine distinct numbers up to 100 almost never sum below 100; with no time at all, neither
    // the loop alone nor the search gets anywhere.
    const GenerationRequest r = make(9, {"+"}, 100, 100, 100);
    PatternMatcher matcher;
    ExpressionEvaluator evaluator;
    RandomSource random;
    for (Strategy strategy : {Strategy::LoopOnly, Strategy::LoopThenSearch}) {
        const GenerationOutcome outcome =
            GenerateQuestions(r, matcher, evaluator, random, milliseconds(0), strategy);
        EXPECT_EQ(outcome.problem, RequestProblem::BudgetExhausted);
        EXPECT_TRUE(outcome.questions.empty());
        EXPECT_GT(outcome.candidates, 0u);
    }
}

TEST(GenerateQuestions, BrokenServicesAreReportedAtOnce) {
    const ComponentRegistry nothing;
    RandomSource random;
    {
        PatternMatcher matcher;
        ExpressionEvaluator evaluator(nothing);
        EXPECT_EQ(GenerateQuestions(GenerationRequest{}, matcher, evaluator, random).problem,
                  RequestProblem::ServiceUnavailable);
    }
    PatternMatcher matcher(nothing);
    ExpressionEvaluator evaluator;
    GenerationRequest r = GenerationRequest{};
    r.mixedBrackets = true;
    EXPECT_EQ(GenerateQuestions(r, matcher, evaluator, random).problem,
              RequestProblem::ServiceUnavailable);
}

// Each message names the choice the teacher is to change, and no two say the same.
TEST(ProblemMessage, EveryProblemNamesTheChoiceToChange) {
    EXPECT_EQ(ProblemMessage(RequestProblem::None), "");
    const std::pair<RequestProblem, const char*> named[] = {
        {RequestProblem::OperandCount, "运算元数"},
        {RequestProblem::Operators, "加、减、乘、除"},
        {RequestProblem::NumberLimit, "数字范围"},
        {RequestProblem::AnswerLimit, "答案范围"},
        {RequestProblem::NoQuestion, "运算"},
        {RequestProblem::QuestionCount, "出题数量"},
        {RequestProblem::BracketOperators, "括号"},
        {RequestProblem::BudgetExhausted, "范围"},
        {RequestProblem::ServiceUnavailable, "计算组件"}};
    std::set<std::string> texts;
    for (const auto& [problem, choice] : named) {
        const std::string text = ProblemMessage(problem);
        EXPECT_NE(text.find(choice), std::string::npos) << text;
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), std::size(named));
    // Only a refusal that is proven says there is no such question.
    EXPECT_EQ(ProblemMessage(RequestProblem::BudgetExhausted).find("没有这样的题目"),
              std::string::npos);
}

struct AnswerCase {
    const char* answer;
    std::int32_t limit;
    bool accepted;
};

class AcceptanceTest : public testing::TestWithParam<AnswerCase> {};

TEST_P(AcceptanceTest, WholeAnswersBelowTheLimit) {
    EXPECT_EQ(IsAcceptedAnswer(GetParam().answer, GetParam().limit), GetParam().accepted)
        << GetParam().answer;
}

INSTANTIATE_TEST_SUITE_P(Rule, AcceptanceTest,
                         testing::Values(AnswerCase{"0", 1, true}, AnswerCase{"9", 10, true},
                                         AnswerCase{"10", 10, false}, AnswerCase{"-1", 10, false},
                                         AnswerCase{"-0", 10, true}, AnswerCase{"3.5", 10, false},
                                         AnswerCase{"0.5", 10, false},
                                         AnswerCase{"", 10, false},  // failed evaluation
                                         AnswerCase{"-", 10, false}, AnswerCase{"1e+21", 10, false},
                                         AnswerCase{"Infinity", 10, false},
                                         AnswerCase{"2147483646", 2147483647, true},
                                         AnswerCase{"4294967296", 2147483647, false},
                                         AnswerCase{"99999999999999999999999", 2147483647, false}));

// Judging the raw value must give what judging its text gives, and the same text. The values
// sit where a shortcut would go wrong: next to whole numbers, at the limits, and beyond.
TEST(AcceptValue, AgreesWithTheTextRule) {
    std::vector<double> values = {std::nan(""),
                                  std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity(),
                                  -0.0,
                                  1e-20,
                                  -1e-20,
                                  1e21,
                                  -1e21,
                                  std::numeric_limits<double>::max(),
                                  std::numeric_limits<double>::denorm_min(),
                                  1.0 / 49 * 49,
                                  6.0 / 4 * 2,
                                  3.0 - 5 + 4};
    for (double whole : {0.0, 1.0, 2.0, 9.0, 10.0, 99.0, 100.0, 999.0, 1000.0, 2147483646.0,
                         2147483647.0, 2147483648.0}) {
        for (double sign : {1.0, -1.0}) {
            double up = whole, down = whole;
            for (int k = 0; k < 4; ++k) {
                values.push_back(sign * up);
                values.push_back(sign * down);
                up = std::nextafter(up, HUGE_VAL);
                down = std::nextafter(down, -HUGE_VAL);
            }
            for (double d : {1e-14 * whole, 4e-6, 5e-6, 6e-6, 1e-5, 1.1e-5, 0.25, 0.5}) {
                values.push_back(sign * (whole + d));
                values.push_back(sign * (whole - d));
            }
        }
    }
    // Quotients as candidates give them.
    for (int a = -600; a <= 600; ++a) {
        for (int b = 1; b <= 300; ++b) values.push_back(static_cast<double>(a) / b);
    }
    std::string answer;
    for (std::int32_t limit : {1, 2, 10, 100, 1000, 2147483647}) {
        for (double v : values) {
            const std::string text = NumberToText(v);
            const bool expected = IsAcceptedAnswer(text, limit);
            answer = "stale";
            const Acceptance got = AcceptValue(AutomationValue(v), limit, answer);
            ASSERT_EQ(got, expected ? Acceptance::Accepted : Acceptance::Rejected)
                << text << " limit " << limit;
            if (expected) {
                ASSERT_EQ(answer, text);
            }
        }
    }
}

TEST(AcceptValue, OtherResultsAreJudgedAsText) {
    std::string answer;
    EXPECT_EQ(AcceptValue(AutomationValue("42"), 100, answer), Acceptance::Accepted);
    EXPECT_EQ(answer, "42");
    EXPECT_EQ(AcceptValue(AutomationValue(std::int32_t{7}), 5, answer), Acceptance::Rejected);
    EXPECT_EQ(AcceptValue(AutomationValue("4.5"), 100, answer), Acceptance::Rejected);
    // An empty text, or a call that failed, is a failed evaluation, never a rejected answer.
    EXPECT_EQ(AcceptValue(AutomationValue(""), 100, answer), Acceptance::Failed);
    EXPECT_EQ(AcceptValue(AutomationValue(), 100, answer), Acceptance::Failed);
}

}  // namespace
}  // namespace suantiji
