#include "generation/random.h"

#include <algorithm>
#include <chrono>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#define SUANTIJI_HAVE_RDTSC 1
#endif

namespace suantiji {

namespace {

constexpr std::uint32_t kStepRange = 32768;  // r takes 15 bits
// Redraws for one place before a stuck counter is assumed; far beyond any real need.
constexpr int kMaxRedraws = 10000;

std::uint32_t effectiveSpan(std::int32_t lo, std::int32_t hi) {
    if (hi == 0) hi = 2147483647;
    return static_cast<std::uint32_t>(hi) - static_cast<std::uint32_t>(lo) + 1u;
}

}  // namespace

std::uint64_t ReadCycleCounter() {
#ifdef SUANTIJI_HAVE_RDTSC
    return __rdtsc();
#else
    return static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
#endif
}

std::uint64_t MixCounter(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

std::int32_t RandomStep(std::uint32_t t, std::int32_t lo, std::int32_t hi) {
    const std::uint32_t x = t * 214013u + 2531011u;
    const std::uint32_t r = (x >> 16) & 0x7FFFu;
    const std::uint32_t span = effectiveSpan(lo, hi);
    // A span of 2^32 wraps to 0; every r is then in range.
    const std::uint32_t offset = span == 0 ? r : r % span;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(lo) + offset);
}

std::uint32_t RandomSource::ReachableValues(std::int32_t lo, std::int32_t hi) {
    const std::uint32_t span = effectiveSpan(lo, hi);
    return span == 0 ? kStepRange : std::min(span, kStepRange);
}

std::int32_t RandomSource::RandomInRange(std::int32_t lo, std::int32_t hi) {
    // A range of one value gives it whatever the counter says: the reading, dearer than all
    // the rest, is spared (a single enabled operator is drawn this way at every slot).
    if (effectiveSpan(lo, hi) == 1) return lo;
    return RandomStep(static_cast<std::uint32_t>(MixCounter(read())), lo, hi);
}

bool RandomSource::DrawDistinctNumbers(std::int32_t count, std::int32_t lo, std::int32_t hi,
                                       std::vector<std::int32_t>& out) {
    out.clear();
    if (count <= 0) return true;
    const std::uint32_t reachable = ReachableValues(lo, hi);
    if (static_cast<std::uint32_t>(count) > reachable) return false;
    auto taken = [&out](std::int32_t v) {
        return std::find(out.begin(), out.end(), v) != out.end();
    };
    for (std::int32_t place = 0; place < count; ++place) {
        std::int32_t candidate = RandomInRange(lo, hi);
        for (int redraws = 1; taken(candidate); ++redraws) {
            if (redraws == kMaxRedraws) {
                // A counter that no longer moves: take the next free reachable value.
                std::uint32_t offset =
                    static_cast<std::uint32_t>(candidate) - static_cast<std::uint32_t>(lo);
                do {
                    offset = (offset + 1) % reachable;
                    candidate = static_cast<std::int32_t>(static_cast<std::uint32_t>(lo) + offset);
                } while (taken(candidate));
                break;
            }
            candidate = RandomInRange(lo, hi);
        }
        out.push_back(candidate);
    }
    return true;
}

std::vector<std::int32_t> RandomSource::DrawDistinctNumbers(std::int32_t count, std::int32_t lo,
                                                            std::int32_t hi) {
    std::vector<std::int32_t> out;
    DrawDistinctNumbers(count, lo, hi, out);
    return out;
}

}  // namespace suantiji
