#include "generation/question_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

#include "services/number_text.h"

namespace suantiji {
namespace {

using std::chrono::milliseconds;

// --- an independent reading of a generated question ---

struct Parsed {
    std::vector<std::int64_t> numbers;
    std::vector<char> ops;
    std::vector<int> bracketed;  // index of the first number inside each pair
    bool ok = true;
};

Parsed parse(const std::string& q) {
    Parsed p;
    std::size_t i = 0;
    bool open = false;
    while (i < q.size()) {
        if (q[i] == '(') {
            if (open) p.ok = false;
            open = true;
            p.bracketed.push_back(static_cast<int>(p.numbers.size()));
            ++i;
        }
        if (i >= q.size() || q[i] < '1' || q[i] > '9') {  // no sign, no leading zero
            p.ok = false;
            return p;
        }
        std::int64_t n = 0;
        while (i < q.size() && q[i] >= '0' && q[i] <= '9') n = n * 10 + (q[i++] - '0');
        p.numbers.push_back(n);
        if (i < q.size() && q[i] == ')') {
            if (!open || static_cast<int>(p.numbers.size()) - p.bracketed.back() != 2) p.ok = false;
            open = false;
            ++i;
        }
        if (i < q.size()) {
            if (std::string_view("+-*/").find(q[i]) == std::string_view::npos) {
                p.ok = false;
                return p;
            }
            p.ops.push_back(q[i++]);
        }
    }
    if (open || p.ops.size() + 1 != p.numbers.size()) p.ok = false;
    return p;
}

bool isProduct(char c) { return c == '*' || c == '/'; }
bool isSum(char c) { return c == '+' || c == '-'; }

// First place at or after `from` where a product is directly followed by a sum.
int firstBracketPlace(const std::vector<char>& ops, std::size_t from) {
    for (std::size_t i = from; i + 1 < ops.size(); ++i) {
        if (isProduct(ops[i]) && isSum(ops[i + 1])) return static_cast<int>(i);
    }
    return -1;
}

// Exact enough for every product and quotient of these small operands.
__extension__ typedef __int128 Int128;

struct Rational {
    Int128 num = 0;
    Int128 den = 1;
};

Int128 gcd(Int128 a, Int128 b) {
    if (a < 0) a = -a;
    if (b < 0) b = -b;
    while (b != 0) {
        const Int128 t = a % b;
        a = b;
        b = t;
    }
    return a == 0 ? 1 : a;
}

Rational apply(Rational a, char op, Rational b) {
    Int128 n = 0;
    Int128 d = 1;
    switch (op) {
        case '+':
            n = a.num * b.den + b.num * a.den;
            d = a.den * b.den;
            break;
        case '-':
            n = a.num * b.den - b.num * a.den;
            d = a.den * b.den;
            break;
        case '*':
            n = a.num * b.num;
            d = a.den * b.den;
            break;
        default:
            n = a.num * b.den;
            d = a.den * b.num;
            break;
    }
    if (d < 0) {
        n = -n;
        d = -d;
    }
    const Int128 g = gcd(n, d);
    return {n / g, d / g};
}

Rational exactValue(const Parsed& p) {
    // Collapse each bracketed pair, then * and / before + and -.
    std::vector<Rational> operands;
    std::vector<char> ops;
    for (std::size_t i = 0; i < p.numbers.size(); ++i) {
        const bool opens = std::find(p.bracketed.begin(), p.bracketed.end(), static_cast<int>(i)) !=
                           p.bracketed.end();
        Rational v{p.numbers[i], 1};
        if (opens) {
            v = apply(v, p.ops[i], Rational{p.numbers[i + 1], 1});
            ++i;
        }
        operands.push_back(v);
        if (i < p.ops.size()) ops.push_back(p.ops[i]);
    }
    std::vector<Rational> terms{operands[0]};
    std::vector<char> sums;
    for (std::size_t k = 0; k < ops.size(); ++k) {
        if (isProduct(ops[k])) {
            terms.back() = apply(terms.back(), ops[k], operands[k + 1]);
        } else {
            sums.push_back(ops[k]);
            terms.push_back(operands[k + 1]);
        }
    }
    Rational value = terms[0];
    for (std::size_t k = 0; k < sums.size(); ++k) value = apply(value, sums[k], terms[k + 1]);
    return value;
}

void expectObeys(const Question& question, const GenerationRequest& r) {
    SCOPED_TRACE(question.expression + "=" + question.answer);
    const Parsed p = parse(question.expression);
    ASSERT_TRUE(p.ok);
    ASSERT_EQ(p.numbers.size(), static_cast<std::size_t>(r.operandCount));
    const std::int64_t largest = r.numberLimit > 0 ? r.numberLimit : 32768;
    std::set<std::int64_t> distinct(p.numbers.begin(), p.numbers.end());
    EXPECT_EQ(distinct.size(), p.numbers.size());
    EXPECT_GE(*distinct.begin(), 1);
    EXPECT_LE(*distinct.rbegin(), largest);
    for (char op : p.ops) {
        EXPECT_NE(std::find(r.operators.begin(), r.operators.end(), std::string(1, op)),
                  r.operators.end());
    }

    // Brackets exactly where the pattern's first match puts them.
    const int first = firstBracketPlace(p.ops, 0);
    std::vector<int> expected;
    if ((r.mixedBrackets || r.bracketsOnly) && first >= 0) expected.push_back(first + 1);
    if (r.bracketsOnly) {
        ASSERT_GE(first, 0);
        const int second = firstBracketPlace(p.ops, static_cast<std::size_t>(first) + 3);
        // With both options a second pair comes from a rerun of the pattern, unless the
        // candidate was drawn afresh by the "only" step, which brackets once.
        if (r.mixedBrackets && second >= 0 && p.bracketed.size() == 2) {
            expected.push_back(second + 1);
        }
    }
    EXPECT_EQ(p.bracketed, expected);

    const Rational value = exactValue(p);
    ASSERT_EQ(value.den, 1);
    const auto whole = static_cast<long long>(value.num);
    EXPECT_EQ(question.answer, std::to_string(whole));
    EXPECT_GE(whole, 0);
    EXPECT_LT(whole, r.answerLimit);
}

// --- every question obeys its request ---

struct RequestCase {
    const char* name;
    GenerationRequest request;
};

GenerationRequest make(int operands, std::vector<std::string> ops, int numberLimit, int answerLimit,
                       int count, bool mixed = false, bool only = false) {
    GenerationRequest r;
    r.operandCount = operands;
    r.operators = std::move(ops);
    r.numberLimit = numberLimit;
    r.answerLimit = answerLimit;
    r.questionCount = count;
    r.mixedBrackets = mixed;
    r.bracketsOnly = only;
    return r;
}

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
        RequestCase{"NineOperandsNarrow", make(9, {"+", "-", "*", "/"}, 100, 10, 3, true, true)}),
    [](const testing::TestParamInfo<RequestCase>& info) { return std::string(info.param.name); });

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
    std::uint64_t state = 5;
    auto next = [&state](int n) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<int>((state >> 33) % static_cast<std::uint64_t>(n));
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
        CheckCase{"MixTooBig", make(3, {"+", "*"}, 100, 3, 10), RequestProblem::AnswerLimit},
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
    EXPECT_EQ(ProblemMessage(outcome.problem), "答案范围太小，请调大答案范围或减少运算元数。");
}

TEST(GenerateQuestions, HopelessRequestEndsWhenTheBudgetRunsOut) {
    // Passes the checks, yet no three distinct numbers up to 5 divide to a whole 1.
    PatternMatcher matcher;
    ExpressionEvaluator evaluator;
    RandomSource random;
    const auto start = std::chrono::steady_clock::now();
    const GenerationOutcome outcome =
        GenerateQuestions(make(3, {"/"}, 5, 2, 10), matcher, evaluator, random, milliseconds(200));
    EXPECT_EQ(outcome.problem, RequestProblem::BudgetExhausted);
    EXPECT_TRUE(outcome.questions.empty());
    EXPECT_GT(outcome.candidates, 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_FALSE(ProblemMessage(outcome.problem).empty());

    // Two distinct numbers never differ by 0; a counter that never moves must not hang either.
    RandomSource stuck([] { return std::uint64_t{7}; });
    EXPECT_EQ(
        GenerateQuestions(make(2, {"-"}, 100, 1, 10), matcher, evaluator, stuck, milliseconds(100))
            .problem,
        RequestProblem::BudgetExhausted);
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

TEST(ProblemMessage, EveryProblemTellsWhatToChange) {
    EXPECT_EQ(ProblemMessage(RequestProblem::None), "");
    for (RequestProblem p : {RequestProblem::OperandCount, RequestProblem::Operators,
                             RequestProblem::NumberLimit, RequestProblem::AnswerLimit,
                             RequestProblem::QuestionCount, RequestProblem::BracketOperators,
                             RequestProblem::BudgetExhausted, RequestProblem::ServiceUnavailable}) {
        EXPECT_FALSE(ProblemMessage(p).empty());
    }
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
            SetLastComponentError(ComponentError::None);
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
    SetLastComponentError(ComponentError::None);
    EXPECT_EQ(AcceptValue(AutomationValue("42"), 100, answer), Acceptance::Accepted);
    EXPECT_EQ(answer, "42");
    EXPECT_EQ(AcceptValue(AutomationValue(std::int32_t{7}), 5, answer), Acceptance::Rejected);
    EXPECT_EQ(AcceptValue(AutomationValue("4.5"), 100, answer), Acceptance::Rejected);
    // An empty text, or a call that failed, is a failed evaluation, never a rejected answer.
    EXPECT_EQ(AcceptValue(AutomationValue(""), 100, answer), Acceptance::Failed);
    SetLastComponentError(ComponentError::Exception);
    EXPECT_EQ(AcceptValue(AutomationValue(3.0), 100, answer), Acceptance::Failed);
    SetLastComponentError(ComponentError::None);
}

}  // namespace
}  // namespace suantiji
