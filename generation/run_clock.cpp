#include "generation/run_clock.h"

#include <algorithm>
#include <ctime>

namespace suantiji {

std::chrono::nanoseconds ThreadTime() {
#ifdef CLOCK_THREAD_CPUTIME_ID
    timespec now{};
    if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now) == 0) {
        return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
    }
#endif
    return std::chrono::steady_clock::now().time_since_epoch();
}

RunClock::Verdict RunClock::afterReading(std::uint64_t candidates, std::size_t accepted,
                                         std::size_t wanted, bool mayHandOver) {
    const std::chrono::nanoseconds now = read(candidates);
    if (mayHandOver && loopTooSlow(now, candidates, accepted, wanted)) return Verdict::HandOver;
    return now >= m_deadline ? Verdict::OutOfTime : Verdict::GoOn;
}

std::chrono::nanoseconds RunClock::read(std::uint64_t candidates) {
    const std::chrono::nanoseconds now = ThreadTime();
    if (!m_started) {
        m_started = true;
        m_start = now;
        m_startCandidates = candidates;
        m_deadline = now + m_budget;
    }
    return now;
}

// At the rate of acceptance seen so far, and the cost of a candidate measured since the first
// reading, would the rest of the list take longer than kHandOverAfter?
bool RunClock::loopTooSlow(std::chrono::nanoseconds now, std::uint64_t candidates,
                           std::size_t accepted, std::size_t wanted) const {
    constexpr double kTypicalCandidateSeconds = 250e-9;
    const double measured = static_cast<double>(candidates - m_startCandidates);
    const double perCandidate =
        measured > 0 ? std::chrono::duration<double>(now - m_start).count() / measured
                     : kTypicalCandidateSeconds;
    const double perQuestion =
        static_cast<double>(candidates) / static_cast<double>(std::max<std::size_t>(accepted, 1));
    const double rest = static_cast<double>(wanted - accepted) * perQuestion * perCandidate;
    return rest > std::chrono::duration<double>(kHandOverAfter).count();
}

}  // namespace suantiji
