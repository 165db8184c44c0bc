#include "generation/candidate_loop.h"

#include <string>
#include <unordered_set>

#include "generation/acceptance.h"
#include "generation/candidate.h"

namespace suantiji {

LoopEnd RunCandidateLoop(const GenerationRequest& request, PatternMatcher& matcher,
                         ExpressionEvaluator& evaluator, RandomSource& random, RunClock& clock,
                         bool mayHandOver, std::vector<Question>& questions,
                         std::uint64_t& candidates) {
    CandidateBuilder builder(request, random);
    const auto wanted = static_cast<std::size_t>(request.questionCount);
    questions.reserve(wanted);
    std::string q;
    q.reserve(64);
    std::string answer;
    answer.reserve(32);
    // Without repeats: the questions on the list, and how often one came again.
    std::unordered_set<std::string> onList;
    std::size_t repeats = 0;
    auto next = [&] {
        builder.Build(q);
        ++candidates;
        return clock.AfterCandidate(candidates, questions.size(), wanted, mayHandOver);
    };
    auto stopped = [](RunClock::Verdict verdict) {
        return verdict == RunClock::Verdict::HandOver ? LoopEnd::HandOver : LoopEnd::OutOfTime;
    };
    while (questions.size() < wanted) {
        if (const RunClock::Verdict v = next(); v != RunClock::Verdict::GoOn) return stopped(v);
        Bracketing bracketing =
            BracketCandidate(q, matcher, request.mixedBrackets, request.bracketsOnly);
        if (request.bracketsOnly) {
            // Fresh candidates until one takes a pair.
            while (bracketing == Bracketing::NoMatch) {
                if (const RunClock::Verdict v = next(); v != RunClock::Verdict::GoOn) {
                    return stopped(v);
                }
                bracketing = BracketCandidate(q, matcher, false, true);
            }
        }
        if (bracketing == Bracketing::Failed) return LoopEnd::Failed;
        switch (AcceptCandidate(q, evaluator.EvaluateValue(q), request, answer)) {
            case Acceptance::Accepted:
                if (request.noRepeats && !onList.insert(q).second) {
                    // Questions coming again more often than new ones: there may be fewer
                    // than the list needs, which the search can list.
                    if (++repeats > questions.size() + 64 && mayHandOver) {
                        return LoopEnd::HandOver;
                    }
                    break;
                }
                questions.push_back({q, answer});
                break;
            case Acceptance::Rejected:
                break;
            case Acceptance::Failed:
                return LoopEnd::Failed;
        }
    }
    return LoopEnd::Full;
}

}  // namespace suantiji
