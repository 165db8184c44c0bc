#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace suantiji {

// The time this thread has worked: a busy machine must not make a servable request fail.
std::chrono::nanoseconds ThreadTime();

// The loop hands over when it sees it would need longer than this to fill the list.
inline constexpr std::chrono::milliseconds kHandOverAfter{100};

// The time budget of one list, on the thread's processor clock, and the candidate loop's
// decision to hand over to the search.
class RunClock {
public:
    explicit RunClock(std::chrono::milliseconds budget) : m_budget(budget) {}

    // Reading the clock is a system call, which costs as much as five to twenty candidates on
    // some virtual machines (1.4 us measured). So the loop reads it once every batch of
    // candidates, a few milliseconds at most, and the budget starts at the first reading: most
    // requests are served before the first batch ends and never read it.
    static constexpr std::uint32_t kCandidatesPerReading = 4096;

    enum class Verdict { GoOn, HandOver, OutOfTime };

    // Called once a candidate; `accepted` of `wanted` are on the list after `candidates`.
    Verdict AfterCandidate(std::uint64_t candidates, std::size_t accepted, std::size_t wanted,
                           bool mayHandOver) {
        if (++m_sinceReading < kCandidatesPerReading) return Verdict::GoOn;
        m_sinceReading = 0;
        return afterReading(candidates, accepted, wanted, mayHandOver);
    }

    bool OutOfTime() { return read(0) >= m_deadline; }

private:
    Verdict afterReading(std::uint64_t candidates, std::size_t accepted, std::size_t wanted,
                         bool mayHandOver);
    std::chrono::nanoseconds read(std::uint64_t candidates);
    bool loopTooSlow(std::chrono::nanoseconds now, std::uint64_t candidates, std::size_t accepted,
                     std::size_t wanted) const;

    std::chrono::milliseconds m_budget;
    std::uint32_t m_sinceReading = 0;
    bool m_started = false;
    std::chrono::nanoseconds m_start{};
    std::uint64_t m_startCandidates = 0;
    std::chrono::nanoseconds m_deadline{};
};

}  // namespace suantiji
