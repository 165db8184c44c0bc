#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace suantiji {

// A free-running counter; the only source of randomness.
using CycleCounter = std::function<std::uint64_t()>;

// The processor's time-stamp counter, or a steady high-resolution clock where there is none.
std::uint64_t ReadCycleCounter();

// A stateless bijective 64-bit mixer (the splitmix64 finaliser). Consecutive counter readings
// differ by nearly constant steps; mixing them first keeps those steps out of the draws.
std::uint64_t MixCounter(std::uint64_t reading);

// The fixed linear congruential step from a 32-bit t to a value in [lo, hi]; hi = 0 stands for
// 2147483647. Only [lo, lo + 32767] can occur; a huge unsigned span gives lo + r.
std::int32_t RandomStep(std::uint32_t t, std::int32_t lo, std::int32_t hi);

class RandomSource {
public:
    RandomSource() = default;  // the real counter
    explicit RandomSource(CycleCounter counter) : m_counter(std::move(counter)) {}

    std::int32_t RandomInRange(std::int32_t lo, std::int32_t hi);

    // One mixed counter reading, to seed a generator of its own where a search needs many
    // choices in a row.
    std::uint64_t Seed() { return MixCounter(read()); }

    // `count` pairwise distinct values, each drawn by RandomInRange(lo, hi). Empty when the
    // range cannot hold that many distinct values; never loops forever, even on a stuck
    // counter.
    std::vector<std::int32_t> DrawDistinctNumbers(std::int32_t count, std::int32_t lo,
                                                  std::int32_t hi);
    // The same into a reused buffer; false (and `out` empty) when impossible.
    bool DrawDistinctNumbers(std::int32_t count, std::int32_t lo, std::int32_t hi,
                             std::vector<std::int32_t>& out);

    // How many distinct values RandomInRange(lo, hi) can give.
    static std::uint32_t ReachableValues(std::int32_t lo, std::int32_t hi);

private:
    std::uint64_t read() { return m_counter ? m_counter() : ReadCycleCounter(); }

    CycleCounter m_counter;
};

}  // namespace suantiji
