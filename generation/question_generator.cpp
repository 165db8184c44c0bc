#include "generation/question_generator.h"

#include <algorithm>
#include <array>
#include <limits>
#include <unordered_set>
#include <utility>

#include "generation/acceptance.h"
#include "generation/candidate.h"
#include "generation/candidate_loop.h"
#include "generation/question_search.h"
#include "generation/run_clock.h"

namespace suantiji {

namespace {

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
    return AcceptCandidate(question.expression, evaluator.EvaluateValue(question.expression),
                           request, question.answer);
}

// Whether the search finds a question for the request within a short time.
bool findsAny(const GenerationRequest& request, std::uint64_t seed) {
    constexpr std::chrono::milliseconds kLookFor{50};
    const std::chrono::nanoseconds until = ThreadTime() + kLookFor;
    QuestionSearch search(request, seed);
    search.StopWhen([until] { return ThreadTime() >= until; });
    CandidateShape shape;
    std::int32_t numbers[kMaxOperandCount];
    while (ThreadTime() < until) {
        const QuestionSearch::Result result = search.Seek(shape, numbers);
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
class SearchFinish {
public:
    SearchFinish(const GenerationRequest& request, PatternMatcher& matcher,
                 ExpressionEvaluator& evaluator, std::uint64_t seed, RunClock& clock,
                 GenerationOutcome& outcome)
        : m_request(request),
          m_matcher(matcher),
          m_evaluator(evaluator),
          m_seed(seed),
          m_clock(clock),
          m_outcome(outcome),
          m_questions(outcome.questions),
          m_wanted(static_cast<std::size_t>(request.questionCount)),
          m_search(request, seed),
          m_pick(seed ^ 0x5851f42d4c957f2dULL) {
        m_search.StopWhen([&clock] { return clock.OutOfTime(); });
        for (const Question& q : m_questions) m_onList.insert(q.expression);
    }

    RequestProblem Run() {
        CandidateShape shape;
        std::int32_t numbers[kMaxOperandCount];
        for (std::uint32_t turn = 0; m_questions.size() < m_wanted; ++turn) {
            if (turn % 8 == 0 && m_clock.OutOfTime()) {
                if (m_questions.empty()) return RequestProblem::BudgetExhausted;
                fillWithRepeats(m_questions);
                break;
            }
            const QuestionSearch::Result result =
                m_questions.empty() ? m_search.Seek(shape, numbers)
                                    : m_search.Sample(kSampleWork, shape, numbers);
            if (result == QuestionSearch::Result::NoneLeft) {
                if (m_questions.empty()) return rangeToWiden(m_request, m_seed);
                // Only questions the evaluator rounds to whole numbers were found; repeat them.
                fillWithRepeats(m_questions);
                break;
            }
            if (result != QuestionSearch::Result::Found) continue;
            if (!take(shape, numbers)) return RequestProblem::ServiceUnavailable;
        }
        return RequestProblem::None;
    }

private:
    // False when the services fail.
    bool take(const CandidateShape& shape, const std::int32_t* numbers) {
        Question found;
        switch (checkFind(m_request, shape, numbers, m_matcher, m_evaluator, found)) {
            case Acceptance::Failed:
                return false;
            case Acceptance::Rejected:
                return true;
            case Acceptance::Accepted:
                break;
        }
        ++m_outcome.candidates;
        if (m_onList.insert(found.expression).second) {
            m_questions.push_back(found);
            m_repeats = 0;
            return true;
        }
        if (++m_repeats < kRepeatsBeforeListing || m_listed) return true;
        return listEverything();
    }

    // The same questions keep coming back: there may be fewer than the list needs. Lists every
    // question there is (up to a bound), puts on those not yet there in random order, and
    // repeats only when all of them are on.
    bool listEverything() {
        m_listed = true;
        std::vector<Question> all;
        bool complete = false;
        if (!listQuestions(m_request, m_search, m_matcher, m_evaluator, m_pick, all, complete)) {
            return false;
        }
        for (const Question& q : all) {
            if (m_questions.size() == m_wanted) break;
            if (m_onList.insert(q.expression).second) m_questions.push_back(q);
        }
        if (complete) {
            for (const Question& q : m_questions) {
                if (std::find(all.begin(), all.end(), q) == all.end()) all.push_back(q);
            }
            fillWithRepeats(all);
        }
        return true;
    }

    // Repeats fill what is left once no other question is to be had; without repeats asked
    // for, in rounds of every question, so that none comes a third time before all twice.
    void fillWithRepeats(std::vector<Question> from) {
        while (m_questions.size() < m_wanted && !m_request.noRepeats) {
            m_questions.push_back(from[m_pick.Below(static_cast<std::uint32_t>(from.size()))]);
        }
        while (m_questions.size() < m_wanted) {
            for (std::size_t i = from.size(); i > 1; --i) {
                std::swap(from[i - 1], from[m_pick.Below(static_cast<std::uint32_t>(i))]);
            }
            for (std::size_t i = 0; i < from.size() && m_questions.size() < m_wanted; ++i) {
                m_questions.push_back(from[i]);
            }
        }
    }

    const GenerationRequest& m_request;
    PatternMatcher& m_matcher;
    ExpressionEvaluator& m_evaluator;
    std::uint64_t m_seed;
    RunClock& m_clock;
    GenerationOutcome& m_outcome;
    std::vector<Question>& m_questions;
    std::size_t m_wanted;
    QuestionSearch m_search;
    SearchRandom m_pick;
    std::unordered_set<std::string> m_onList;
    int m_repeats = 0;
    bool m_listed = false;
};

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
    switch (RunCandidateLoop(request, matcher, evaluator, random, clock,
                             strategy == Strategy::LoopThenSearch, outcome.questions,
                             outcome.candidates)) {
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
        SearchFinish(request, matcher, evaluator, random.Seed(), clock, outcome).Run();
    if (problem != RequestProblem::None) return fail(problem);
    return outcome;
}

}  // namespace suantiji
