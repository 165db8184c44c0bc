#pragma once

#include <cstdint>

namespace suantiji {

// A small seeded generator, so that a test draws the same cases on every run.
class TestRandom {
public:
    explicit TestRandom(std::uint64_t seed) : m_state(seed) {}

    // Uniform enough in [0, n); n > 0.
    std::uint32_t Below(std::uint32_t n) {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>((m_state >> 33) % n);
    }

    // In [lo, hi].
    std::int32_t Between(std::int32_t lo, std::int32_t hi) {
        return lo + static_cast<std::int32_t>(Below(static_cast<std::uint32_t>(hi - lo + 1)));
    }

private:
    std::uint64_t m_state;
};

}  // namespace suantiji
