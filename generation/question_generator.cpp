#include "generation/question_generator.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <ctime>
#include <limits>
#include <unordered_set>
#include <utility>

#include "generation/exact_value.h"
#include "generation/question_search.h"

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

namespace {

// The time budget of one list, on the thread's processor clock, and the candidate loop's
// decision to hand over to the search.
class RunClock {
public:
    RunClock(std::chrono::milliseconds budget) : m_budget(budget) {}

    // Reading the clock is a system call, which costs as much as five to twenty candidates on
    // some virtual machines (1.4 us measured). So the loop reads it once every batch of
    // candidates, a few milliseconds at most, and the budget starts at the first reading: most
    // requests are served before the first batch ends and never read it.
    static constexpr std::uint32_t kCandidatesPerReading = 4096;

    enum class Verdict { GoOn, HandOver, OutOfTime };

    // Called once a candidate; `accepted` of `wanted` are on the list after `candidates`.
    Verdict afterCandidate(std::uint64_t candidates, std::size_t accepted, std::size_t wanted,
                           bool mayHandOver) {
        if (++m_sinceReading < kCandidatesPerReading) return Verdict::GoOn;
        m_sinceReading = 0;
        const std::chrono::nanoseconds now = read(candidates);
        if (mayHandOver && loopTooSlow(now, candidates, accepted, wanted)) {
            return Verdict::HandOver;
        }
        return now >= m_deadline ? Verdict::OutOfTime : Verdict::GoOn;
    }

    bool outOfTime() { return read(0) >= m_deadline; }

private:
    std::chrono::nanoseconds read(std::uint64_t candidates) {
        const std::chrono::nanoseconds now = threadTime();
        if (!m_started) {
            m_started = true;
            m_start = now;
            m_startCandidates = candidates;
            m_deadline = now + m_budget;
        }
        return now;
    }

    // At the rate of acceptance seen so far, and the cost of a candidate measured since the
    // first reading, would the rest of the list take longer than kHandOverAfter?
    bool loopTooSlow(std::chrono::nanoseconds now, std::uint64_t candidates, std::size_t accepted,
                     std::size_t wanted) const {
        constexpr double kTypicalCandidateSeconds = 250e-9;
        const double measured = static_cast<double>(candidates - m_startCandidates);
        const double perCandidate =
            measured > 0 ? std::chrono::duration<double>(now - m_start).count() / measured
                         : kTypicalCandidateSeconds;
        const double perQuestion = static_cast<double>(candidates) /
                                   static_cast<double>(std::max<std::size_t>(accepted, 1));
        const double rest = static_cast<double>(wanted - accepted) * perQuestion * perCandidate;
        return rest > std::chrono::duration<double>(kHandOverAfter).count();
    }

    std::chrono::milliseconds m_budget;
    std::uint32_t m_sinceReading = 0;
    bool m_started = false;
    std::chrono::nanoseconds m_start{};
    std::uint64_t m_startCandidates = 0;
    std::chrono::nanoseconds m_deadline{};
};

enum class LoopEnd { Full, HandOver, OutOfTime, Failed };

// The candidate loop: draw, bracket, evaluate, keep what the acceptance rule keeps.
LoopEnd runCandidateLoop(const GenerationRequest& request, PatternMatcher& matcher,
                         ExpressionEvaluator& evaluator, RandomSource& random, RunClock& clock,
                         bool mayHandOver, GenerationOutcome& outcome) {
    CandidateBuilder builder(request, random);
    const auto wanted = static_cast<std::size_t>(request.questionCount);
    outcome.questions.reserve(wanted);
    std::string q;
    q.reserve(64);
    std::string answer;
    answer.reserve(32);
    // Without repeats: the questions on the list, and how often one came again.
    std::unordered_set<std::string> onList;
    std::size_t repeats = 0;
    auto next = [&] {
        builder.build(q);
        ++outcome.candidates;
        return clock.afterCandidate(outcome.candidates, outcome.questions.size(), wanted,
                                    mayHandOver);
    };
    auto stopped = [](RunClock::Verdict verdict) {
        return verdict == RunClock::Verdict::HandOver ? LoopEnd::HandOver : LoopEnd::OutOfTime;
    };
    while (outcome.questions.size() < wanted) {
        if (const RunClock::Verdict v = next(); v != RunClock::Verdict::GoOn) return stopped(v);
        Bracketing bracketing = Bracketing::NoMatch;
        if (request.mixedBrackets || request.bracketsOnly) {
            bracketing = BracketCandidate(q, matcher, request.mixedBrackets, request.bracketsOnly);
        }
        if (request.bracketsOnly) {
            // Fresh candidates until one takes a pair.
            while (bracketing == Bracketing::NoMatch) {
                if (const RunClock::Verdict v = next(); v != RunClock::Verdict::GoOn) {
                    return stopped(v);
                }
                bracketing = bracketFirstMatch(q, matcher);
            }
        }
        if (bracketing == Bracketing::Failed) return LoopEnd::Failed;
        switch (AcceptValue(evaluator.EvaluateValue(q), request.answerLimit, answer)) {
            case Acceptance::Accepted:
                // Exact arithmetic only for what the text rule kept: the loop costs what it did.
                if (!IsExactAnswer(q, answer, request.answerLimit, request.wholeSteps)) break;
                if (request.noRepeats && !onList.insert(q).second) {
                    // Questions coming again more often than new ones: there may be fewer
                    // than the list needs, which the search can list.
                    if (++repeats > outcome.questions.size() + 64 && mayHandOver) {
                        return LoopEnd::HandOver;
                    }
                    break;
                }
                outcome.questions.push_back({q, answer});
                break;
            case Acceptance::Rejected:
                break;
            case Acceptance::Failed:
                return LoopEnd::Failed;
        }
    }
    return LoopEnd::Full;
}

// Work for one sampling search: enough for most finds, small enough that a barren start is
// soon left for another.
constexpr std::uint64_t kSampleWork = 1024;
// Finds in a row that were already on the list before the search lists every question.
constexpr int kRepeatsBeforeListing = 64;
// Questions listed at most, and the work for listing them.
constexpr std::size_t kListedAtMost = 20000;
constexpr std::uint64_t kListWork = 4'000'000;

// What a search's find becomes once it has passed the bracket step and the evaluator, exactly
// as a candidate of the loop does. Rejected when the services disagree with the search.
Acceptance checkFind(const GenerationRequest& request, const CandidateShape& shape,
                     const std::int32_t* numbers, PatternMatcher& matcher,
                     ExpressionEvaluator& evaluator, Question& question) {
    question.expression = FlatText(shape, numbers);
    const Bracketing bracketing =
        BracketCandidate(question.expression, matcher, request.mixedBrackets, request.bracketsOnly);
    if (bracketing == Bracketing::Failed) return Acceptance::Failed;
    if (question.expression != BracketedText(shape, numbers)) return Acceptance::Rejected;
    const Acceptance acceptance = AcceptValue(evaluator.EvaluateValue(question.expression),
                                              request.answerLimit, question.answer);
    if (acceptance == Acceptance::Accepted &&
        !IsExactAnswer(question.expression, question.answer, request.answerLimit,
                       request.wholeSteps)) {
        return Acceptance::Rejected;
    }
    return acceptance;
}

// Whether the search finds a question for the request within a short time.
bool findsAny(const GenerationRequest& request, std::uint64_t seed) {
    constexpr std::chrono::milliseconds kLookFor{50};
    const std::chrono::nanoseconds until = threadTime() + kLookFor;
    QuestionSearch search(request, seed);
    search.StopWhen([until] { return threadTime() >= until; });
    CandidateShape shape;
    std::int32_t numbers[kMaxOperandCount];
    for (int turn = 0; threadTime() < until; ++turn) {
        const QuestionSearch::Result result = turn % 2 == 0
                                                  ? search.Prove(shape, numbers)
                                                  : search.Sample(kSampleWork, shape, numbers);
        if (result == QuestionSearch::Result::Found) return true;
        if (result == QuestionSearch::Result::NoneLeft) return false;
    }
    return false;
}

// For a request that admits no question: which range, widened, would give some.
RequestProblem rangeToWiden(const GenerationRequest& request, std::uint64_t seed) {
    GenerationRequest wider = request;
    wider.answerLimit = std::numeric_limits<std::int32_t>::max();
    if (findsAny(wider, seed)) return RequestProblem::AnswerLimit;
    wider = request;
    wider.numberLimit = 0;  // every reachable number
    if (findsAny(wider, seed)) return RequestProblem::NumberLimit;
    return RequestProblem::NoQuestion;
}

// Every question the search can list, up to a bound, that passes the services, in random order;
// `complete` tells whether they are all there are. False when the services fail.
bool listQuestions(const GenerationRequest& request, QuestionSearch& search,
                   PatternMatcher& matcher, ExpressionEvaluator& evaluator, SearchRandom& pick,
                   std::vector<Question>& all, bool& complete) {
    std::vector<std::pair<CandidateShape, std::array<std::int32_t, kMaxOperandCount>>> finds;
    complete = search.ForEach(kListWork, [&](const CandidateShape& s, const std::int32_t* n) {
        std::array<std::int32_t, kMaxOperandCount> copy{};
        std::copy(n, n + s.operands, copy.begin());
        finds.emplace_back(s, copy);
        return finds.size() < kListedAtMost;
    }) == QuestionSearch::Result::NoneLeft;
    Question found;
    for (const auto& [s, n] : finds) {
        switch (checkFind(request, s, n.data(), matcher, evaluator, found)) {
            case Acceptance::Failed:
                return false;
            case Acceptance::Rejected:
                break;
            case Acceptance::Accepted:
                all.push_back(found);
                break;
        }
    }
    for (std::size_t i = all.size(); i > 1; --i) {
        std::swap(all[i - 1], all[pick.Below(static_cast<std::uint32_t>(i))]);
    }
    return true;
}

// Fills the rest of the list with the directed search, or proves that no question exists.
// Questions already on the list are not repeated while the search can find others.
RequestProblem finishBySearch(const GenerationRequest& request, PatternMatcher& matcher,
                              ExpressionEvaluator& evaluator, RandomSource& random, RunClock& clock,
                              GenerationOutcome& outcome) {
    const auto wanted = static_cast<std::size_t>(request.questionCount);
    std::vector<Question>& questions = outcome.questions;
    const std::uint64_t seed = random.Seed();
    QuestionSearch search(request, seed);
    search.StopWhen([&clock] { return clock.outOfTime(); });
    SearchRandom pick(seed ^ 0x5851f42d4c957f2dULL);
    std::unordered_set<std::string> onList;
    for (const Question& q : questions) onList.insert(q.expression);

    // Repeats fill what is left once no other question is to be had; without repeats asked
    // for, in rounds of every question, so that none comes a third time before all twice.
    auto fillWithRepeats = [&](std::vector<Question> from) {
        while (questions.size() < wanted && !request.noRepeats) {
            questions.push_back(from[pick.Below(static_cast<std::uint32_t>(from.size()))]);
        }
        while (questions.size() < wanted) {
            for (std::size_t i = from.size(); i > 1; --i) {
                std::swap(from[i - 1], from[pick.Below(static_cast<std::uint32_t>(i))]);
            }
            for (std::size_t i = 0; i < from.size() && questions.size() < wanted; ++i) {
                questions.push_back(from[i]);
            }
        }
    };
    CandidateShape shape;
    std::int32_t numbers[kMaxOperandCount];
    Question found;
    int repeats = 0;
    bool listed = false;
    for (std::uint32_t turn = 0; questions.size() < wanted; ++turn) {
        if (turn % 8 == 0 && clock.outOfTime()) {
            if (questions.empty()) return RequestProblem::BudgetExhausted;
            fillWithRepeats(questions);
            break;
        }
        // Until a first question is found, every other turn goes to the proof that none exists.
        const QuestionSearch::Result result = questions.empty() && turn % 2 == 0
                                                  ? search.Prove(shape, numbers)
                                                  : search.Sample(kSampleWork, shape, numbers);
        if (result == QuestionSearch::Result::NoneLeft) {
            if (questions.empty()) return rangeToWiden(request, seed);
            // Only questions the evaluator rounds to whole numbers were found; repeat them.
            fillWithRepeats(questions);
            break;
        }
        if (result != QuestionSearch::Result::Found) continue;
        switch (checkFind(request, shape, numbers, matcher, evaluator, found)) {
            case Acceptance::Failed:
                return RequestProblem::ServiceUnavailable;
            case Acceptance::Rejected:
                continue;
            case Acceptance::Accepted:
                break;
        }
        ++outcome.candidates;
        if (onList.insert(found.expression).second) {
            questions.push_back(found);
            repeats = 0;
            continue;
        }
        if (++repeats < kRepeatsBeforeListing || listed) continue;
        // The same questions keep coming back: there may be fewer than the list needs. List
        // every question there is (up to a bound), put on those not yet there in random order,
        // and repeat only when all of them are on.
        listed = true;
        std::vector<Question> all;
        bool complete = false;
        if (!listQuestions(request, search, matcher, evaluator, pick, all, complete)) {
            return RequestProblem::ServiceUnavailable;
        }
        for (const Question& q : all) {
            if (questions.size() == wanted) break;
            if (onList.insert(q.expression).second) questions.push_back(q);
        }
        if (complete) {
            for (const Question& q : questions) {
                if (std::find(all.begin(), all.end(), q) == all.end()) all.push_back(q);
            }
            fillWithRepeats(all);
        }
    }
    return RequestProblem::None;
}

}  // namespace

GenerationOutcome GenerateQuestions(const GenerationRequest& request, PatternMatcher& matcher,
                                    ExpressionEvaluator& evaluator, RandomSource& random,
                                    std::chrono::milliseconds budget, Strategy strategy) {
    GenerationOutcome outcome;
    outcome.problem = CheckRequest(request);
    if (outcome.problem != RequestProblem::None) return outcome;

    auto fail = [&outcome](RequestProblem problem) {
        outcome.questions.clear();
        outcome.problem = problem;
        return outcome;
    };
    RunClock clock(budget);
    switch (runCandidateLoop(request, matcher, evaluator, random, clock,
                             strategy == Strategy::LoopThenSearch, outcome)) {
        case LoopEnd::Full:
            return outcome;
        case LoopEnd::OutOfTime:
            return fail(RequestProblem::BudgetExhausted);
        case LoopEnd::Failed:
            return fail(RequestProblem::ServiceUnavailable);
        case LoopEnd::HandOver:
            break;
    }
    const RequestProblem problem =
        finishBySearch(request, matcher, evaluator, random, clock, outcome);
    if (problem != RequestProblem::None) return fail(problem);
    return outcome;
}

}  // namespace suantiji
