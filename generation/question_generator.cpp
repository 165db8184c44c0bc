#include "generation/question_generator.h"

#include <charconv>
#include <cmath>
#include <ctime>
#include <optional>

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

class CandidateBuilder {
public:
    CandidateBuilder(const GenerationRequest& request, RandomSource& random)
        : m_request(request), m_random(random) {
        m_operators.reserve(request.operators.size());
        for (const std::string& op : request.operators) m_operators.push_back(op[0]);
    }

    // Operands first, then each operator slot from left to right.
    void build(std::string& q) {
        m_random.DrawDistinctNumbers(m_request.operandCount, 1, m_request.numberLimit, m_numbers);
        const auto m = static_cast<std::int32_t>(m_operators.size());
        char buffer[128];
        // Where each placeholder went, left to right; a checked request has at most nine operands.
        char* slots[kMaxOperandCount];
        char* p = buffer;
        std::size_t placeholders = 0;
        for (std::size_t i = 0; i < m_numbers.size(); ++i) {
            p = std::to_chars(p, buffer + sizeof buffer, m_numbers[i]).ptr;
            if (i + 1 < m_numbers.size()) {
                slots[placeholders++] = p;
                *p++ = '|';
            }
        }
        for (std::size_t i = 0; i < placeholders; ++i) {
            *slots[i] = m_operators[static_cast<std::size_t>(m_random.RandomInRange(1, m) - 1)];
        }
        q.assign(buffer, p);
    }

private:
    const GenerationRequest& m_request;
    RandomSource& m_random;
    std::vector<char> m_operators;
    std::vector<std::int32_t> m_numbers;
};

// Brackets the group of match `index` (1-based) of the matcher's latest run, in a text that has
// had `shift` bytes put in before that group since the run.
Bracketing bracketMatch(std::string& q, const PatternMatcher& matcher, int index,
                        std::size_t shift) {
    int position = -1;
    const std::string group = matcher.SubMatchText(index, 1, &position);
    if (group.empty() || position < 0 ||
        static_cast<std::size_t>(position) + shift + group.size() > q.size()) {
        return Bracketing::Failed;
    }
    const std::size_t at = static_cast<std::size_t>(position) + shift;
    q.insert(at + group.size(), 1, ')');
    q.insert(at, 1, '(');
    return Bracketing::Bracketed;
}

// Runs the pattern over q and brackets the group of its first match; `found`, when given,
// receives the number of matches.
Bracketing bracketFirstMatch(std::string& q, PatternMatcher& matcher, int* found = nullptr) {
    if (!matcher.Match(kBracketPattern, q)) return Bracketing::Failed;
    const int count = matcher.MatchCount();
    if (found != nullptr) *found = count;
    if (count == 0) return Bracketing::NoMatch;
    return bracketMatch(q, matcher, 1, 0);
}

}  // namespace

Bracketing BracketCandidate(std::string& q, PatternMatcher& matcher, bool mixed, bool only) {
    int found = 0;
    Bracketing bracketing = Bracketing::NoMatch;
    if (mixed) bracketing = bracketFirstMatch(q, matcher, &found);
    if (!only || bracketing == Bracketing::Failed) return bracketing;
    if (!mixed) return bracketFirstMatch(q, matcher);
    // The second run of the pattern, over the text with the first pair, is read off the first
    // run. No match can hold a bracket. Before the pair there is no whole match: the first
    // match was the leftmost, and its part before the pair is digits and one operator. After
    // the pair comes the text the first run went on to search from the end of its first
    // match. So the second run would find the first run's second match, two bytes further
    // on, and nothing when there was none.
    if (bracketing == Bracketing::Bracketed && found >= 2) return bracketMatch(q, matcher, 2, 2);
    return bracketing;
}

namespace {

// The time this thread has worked: a busy machine must not make a servable request fail.
std::chrono::nanoseconds threadTime() {
#ifdef CLOCK_THREAD_CPUTIME_ID
    timespec now{};
    if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now) == 0) {
        return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
    }
#endif
    return std::chrono::steady_clock::now().time_since_epoch();
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
            return "数字范围太小，请调大数字范围或减少运算元数。";
        case RequestProblem::AnswerLimit:
            return "答案范围太小，请调大答案范围或减少运算元数。";
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
    // Bounds that need no search. Differences alone stay at or above 0 only when the first
    // operand covers all the others: it needs 1 + 2 + ... + (n - 1) at least.
    if (subtract && !add && !multiply && !divide && largest < std::int64_t{n} * (n - 1) / 2) {
        return RequestProblem::NumberLimit;
    }
    if (!subtract) {
        // Without "-" every answer is positive; sums and products of distinct operands have
        // known least values, and any mix of + and * is at least its largest operand.
        std::int64_t least = 1;
        if (add && !multiply && !divide) {
            least = std::int64_t{n} * (n + 1) / 2;
        } else if (multiply && !add && !divide) {
            least = factorial(n);
        } else if (!divide) {
            least = n;
        }
        if (request.answerLimit <= least) return RequestProblem::AnswerLimit;
    }
    return RequestProblem::None;
}

bool IsAcceptedAnswer(const std::string& answer, std::int32_t answerLimit) {
    if (answer.empty()) return false;
    const std::size_t digitsFrom = answer[0] == '-' ? 1 : 0;
    if (digitsFrom == answer.size()) return false;
    for (std::size_t i = digitsFrom; i < answer.size(); ++i) {
        // Rules out ".", exponents and the texts for infinity and NaN.
        if (answer[i] < '0' || answer[i] > '9') return false;
    }
    // Plain ASCII digits now: no folding needed. Stops once past the limit, so answers beyond
    // 32 bits (and beyond 64) never wrap into range.
    std::int64_t value = 0;
    for (std::size_t i = digitsFrom; i < answer.size(); ++i) {
        value = value * 10 + (answer[i] - '0');
        if (value >= answerLimit) return false;
    }
    return digitsFrom == 0 || value == 0;
}

Acceptance AcceptValue(AutomationValue&& value, std::int32_t answerLimit, std::string& answer) {
    if (LastComponentError() != 0) return Acceptance::Failed;
    if (const double* number = value.number()) {
        // Most candidates end here, before their text is made. Rounding to 15 significant
        // digits moves a value below 10^10 by at most 5e-6, so one farther than 1e-5 from a
        // whole number keeps its "."; outside [-1, limit + 1] the text is negative, at or
        // past the limit, or not a plain number (NaN fails both comparisons).
        const double v = *number;
        if (!(v >= -1 && v <= static_cast<double>(answerLimit) + 1)) return Acceptance::Rejected;
        // The nearest whole number, by conversion rather than a library call: v + 1.5 is
        // positive here, and where its rounding moves the floor, v is half way between two.
        const double nearest = static_cast<double>(static_cast<std::int64_t>(v + 1.5)) - 1;
        if (std::fabs(v - nearest) > 1e-5) return Acceptance::Rejected;
    }
    detail::AssignText(std::move(value), answer);
    if (answer.empty()) return Acceptance::Failed;
    return IsAcceptedAnswer(answer, answerLimit) ? Acceptance::Accepted : Acceptance::Rejected;
}

GenerationOutcome GenerateQuestions(const GenerationRequest& request, PatternMatcher& matcher,
                                    ExpressionEvaluator& evaluator, RandomSource& random,
                                    std::chrono::milliseconds budget) {
    GenerationOutcome outcome;
    outcome.problem = CheckRequest(request);
    if (outcome.problem != RequestProblem::None) return outcome;

    // Reading the thread's processor time is a system call, which costs as much as five to
    // twenty candidates on some virtual machines (1.4 us measured). So the clock is read once
    // every batch of candidates, a few milliseconds at most, and the budget starts at the first
    // reading: most requests are served before the first batch ends and never read it.
    constexpr std::uint32_t kCandidatesPerReading = 4096;
    std::optional<std::chrono::nanoseconds> deadline;
    std::uint32_t sinceCheck = 0;
    auto outOfTime = [&] {
        if (++sinceCheck < kCandidatesPerReading) return false;
        sinceCheck = 0;
        const std::chrono::nanoseconds now = threadTime();
        if (!deadline) deadline = now + budget;
        return now >= *deadline;
    };
    auto fail = [&outcome](RequestProblem problem) {
        outcome.questions.clear();
        outcome.problem = problem;
        return outcome;
    };

    CandidateBuilder builder(request, random);
    const auto wanted = static_cast<std::size_t>(request.questionCount);
    outcome.questions.reserve(wanted);
    std::string q;
    q.reserve(64);
    std::string answer;
    answer.reserve(32);
    while (outcome.questions.size() < wanted) {
        if (outOfTime()) return fail(RequestProblem::BudgetExhausted);
        builder.build(q);
        ++outcome.candidates;
        Bracketing bracketing = Bracketing::NoMatch;
        if (request.mixedBrackets || request.bracketsOnly) {
            bracketing = BracketCandidate(q, matcher, request.mixedBrackets, request.bracketsOnly);
        }
        if (request.bracketsOnly) {
            // Fresh candidates until one takes a pair.
            while (bracketing == Bracketing::NoMatch) {
                if (outOfTime()) return fail(RequestProblem::BudgetExhausted);
                builder.build(q);
                ++outcome.candidates;
                bracketing = bracketFirstMatch(q, matcher);
            }
        }
        if (bracketing == Bracketing::Failed) return fail(RequestProblem::ServiceUnavailable);
        switch (AcceptValue(evaluator.EvaluateValue(q), request.answerLimit, answer)) {
            case Acceptance::Accepted:
                outcome.questions.push_back({q, answer});
                break;
            case Acceptance::Rejected:
                break;
            case Acceptance::Failed:
                return fail(RequestProblem::ServiceUnavailable);
        }
    }
    return outcome;
}

}  // namespace suantiji
