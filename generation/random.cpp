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

// r of the step: bits 16 to 30 of x.
std::uint32_t stepBits(std::uint32_t t) {
    const std::uint32_t x = t * 214013u + 2531011u;
    return (x >> 16) & 0x7FFFu;
}

__extension__ using Wide = unsigned __int128;

// The remainder by one span, for many draws: two multiplications instead of a division,
// exact for every 32-bit value and span (Lemire's method). A span of 2^32 wraps to 0 and
// leaves the value as it is.
class Remainder {
public:
    explicit Remainder(std::uint32_t span)
        : m_span(span), m_factor(span == 0 ? 0 : ~std::uint64_t{0} / span + 1) {}
    std::uint32_t of(std::uint32_t value) const {
        if (m_span == 0) return value;
        return static_cast<std::uint32_t>((Wide{m_factor * value} * m_span) >> 64);
    }

private:
    std::uint32_t m_span;
    std::uint64_t m_factor;
};

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
    const std::uint32_t r = stepBits(t);
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
    out.reserve(static_cast<std::size_t>(count));
    // Each draw is RandomInRange(lo, hi), kept as its offset from lo; the span is worked out
    // once for all of them.
    const std::uint32_t span = effectiveSpan(lo, hi);
    const Remainder remainder(span);
    auto draw = [&]() -> std::uint32_t {
        if (span == 1) return 0;  // as RandomInRange: no reading
        return remainder.of(stepBits(static_cast<std::uint32_t>(MixCounter(read()))));
    };
    // Whether a value is already in the list. Offsets of a range of up to 256 values are
    // marked in a bitmap; wider ranges are looked up in the list itself.
    std::uint64_t seen[4] = {};
    const bool marked = reachable <= 256;
    const auto base = static_cast<std::uint32_t>(lo);
    auto taken = [&](std::uint32_t offset) {
        if (marked) return ((seen[offset >> 6] >> (offset & 63)) & 1) != 0;
        return std::find(out.begin(), out.end(), static_cast<std::int32_t>(base + offset)) !=
               out.end();
    };
    for (std::int32_t place = 0; place < count; ++place) {
        std::uint32_t offset = draw();
        for (int redraws = 1; taken(offset); ++redraws) {
            if (redraws == kMaxRedraws) {
                // A counter that no longer moves: take the next free reachable value.
                do {
                    offset = (offset + 1) % reachable;
                } while (taken(offset));
                break;
            }
            offset = draw();
        }
        if (marked) seen[offset >> 6] |= std::uint64_t{1} << (offset & 63);
        out.push_back(static_cast<std::int32_t>(base + offset));
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
