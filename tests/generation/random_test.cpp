#include "generation/random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <set>

namespace suantiji {
namespace {

TEST(RandomStep, DocumentedArithmetic) {
    EXPECT_EQ(RandomStep(0, 1, 10), 9);  // x = 2531011, r = 38
    EXPECT_EQ(RandomStep(0, 1, 0), 39);  // hi = 0 stands for 2147483647
    EXPECT_EQ(RandomStep(0, 7, 7), 7);
    EXPECT_EQ(RandomStep(0, 5, 3), 43);  // a huge unsigned span leaves lo + r
    // The whole 32-bit range wraps the span to 0; that must not divide by zero.
    EXPECT_EQ(RandomStep(0, INT_MIN, INT_MAX), INT_MIN + 38);
    for (std::uint32_t t = 0; t < 200000; t += 7) {
        const std::int32_t v = RandomStep(t, 1, 100);
        ASSERT_GE(v, 1);
        ASSERT_LE(v, 100);
        ASSERT_LE(RandomStep(t, 1000, 0), 1000 + 32767);  // only 15 bits of r
    }
}

// A counter read in a tight loop advances by nearly the same amount between reads.
CycleCounter tightLoopCounter() {
    return [t = std::uint64_t{0x1234567}, i = 0]() mutable {
        t += 38 + (++i % 3 == 0 ? 4 : 0);
        return t;
    };
}

struct Pattern {
    double sameStep;       // consecutive draws in 1..100 that differ by the commonest step
    double operatorAgree;  // consecutive choices between two operators that agree
};

template <typename Draw>
Pattern measure(Draw draw) {
    constexpr int kDraws = 200000;
    std::map<int, int> steps;
    int previous = draw(1, 100);
    for (int i = 0; i < kDraws; ++i) {
        const int v = draw(1, 100);
        ++steps[(v - previous + 100) % 100];
        previous = v;
    }
    int commonest = 0;
    for (const auto& [step, count] : steps) commonest = std::max(commonest, count);
    int agree = 0;
    int choice = draw(1, 2);
    for (int i = 0; i < kDraws; ++i) {
        const int next = draw(1, 2);
        agree += next == choice ? 1 : 0;
        choice = next;
    }
    return {static_cast<double>(commonest) / kDraws, static_cast<double>(agree) / kDraws};
}

TEST(RandomSource, TightLoopReadingsGiveUnpatternedDraws) {
    // The measure itself: the step fed straight from such a counter is caught.
    const Pattern raw = measure([counter = tightLoopCounter()](int lo, int hi) mutable {
        return RandomStep(static_cast<std::uint32_t>(counter()), lo, hi);
    });
    EXPECT_GT(raw.sameStep, 0.2);

    RandomSource mixed(tightLoopCounter());
    const Pattern m = measure([&mixed](int lo, int hi) { return mixed.RandomInRange(lo, hi); });
    EXPECT_LT(m.sameStep, 0.03);  // evenly spread steps give about 0.01
    EXPECT_NEAR(m.operatorAgree, 0.5, 0.02);

    RandomSource real;
    const Pattern r = measure([&real](int lo, int hi) { return real.RandomInRange(lo, hi); });
    EXPECT_LT(r.sameStep, 0.03);
    EXPECT_NEAR(r.operatorAgree, 0.5, 0.02);
}

TEST(RandomSource, ASingleValueRangeNeedsNoReading) {
    int reads = 0;
    RandomSource random([&reads] {
        ++reads;
        return std::uint64_t{12345};
    });
    EXPECT_EQ(random.RandomInRange(4, 4), 4);
    EXPECT_EQ(random.RandomInRange(2147483647, 0), 2147483647);  // hi = 0 is 2147483647
    EXPECT_EQ(reads, 0);
    EXPECT_EQ(random.RandomInRange(1, 2),
              RandomStep(static_cast<std::uint32_t>(MixCounter(12345)), 1, 2));
    EXPECT_EQ(reads, 1);
}

TEST(DrawDistinctNumbers, DistinctInRangeAndSafeOnAnyInput) {
    RandomSource random;
    for (int i = 0; i < 2000; ++i) {
        std::vector<std::int32_t> numbers = random.DrawDistinctNumbers(4, 1, 4);
        std::sort(numbers.begin(), numbers.end());
        ASSERT_EQ(numbers, (std::vector<std::int32_t>{1, 2, 3, 4}));
    }
    EXPECT_TRUE(random.DrawDistinctNumbers(5, 1, 4).empty());
    EXPECT_TRUE(random.DrawDistinctNumbers(0, 1, 4).empty());
    EXPECT_EQ(random.DrawDistinctNumbers(9, 1, 0).size(), 9u);  // 1 to 32768
    // Spans that wrap or exceed what a step can reach: values from lo on, as far as a step goes.
    for (const auto& [lo, hi] : {std::pair{INT_MIN, INT_MAX}, {10, 3}, {-7, 7}, {1, 99991}}) {
        const std::vector<std::int32_t> numbers = random.DrawDistinctNumbers(9, lo, hi);
        ASSERT_EQ(numbers.size(), 9u) << lo << ".." << hi;
        EXPECT_EQ(std::set<std::int32_t>(numbers.begin(), numbers.end()).size(), 9u);
        for (const std::int32_t v : numbers) {
            EXPECT_LT(static_cast<std::uint32_t>(v) - static_cast<std::uint32_t>(lo),
                      RandomSource::ReachableValues(lo, hi))
                << lo << ".." << hi << ": " << v;
        }
    }

    // A counter that never moves still yields distinct numbers instead of spinning.
    RandomSource stuck([] { return std::uint64_t{42}; });
    std::vector<std::int32_t> numbers = stuck.DrawDistinctNumbers(9, 1, 9);
    std::sort(numbers.begin(), numbers.end());
    EXPECT_EQ(numbers, (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

// Distinct numbers are as even as single draws: every value as likely at every place, and a
// value already taken is drawn again rather than moved to a neighbour.
TEST(DrawDistinctNumbers, EveryValueAsLikelyAtEveryPlace) {
    RandomSource random(
        [t = std::uint64_t{0x9E37}]() mutable { return t += 0x2545F4914F6CDD1DULL; });
    constexpr int kDraws = 40000;
    int seen[4][6] = {};
    int successors = 0;
    for (int i = 0; i < kDraws; ++i) {
        const std::vector<std::int32_t> numbers = random.DrawDistinctNumbers(4, 1, 5);
        ASSERT_EQ(numbers.size(), 4u);
        for (int place = 0; place < 4; ++place) {
            ++seen[place][numbers[place]];
            if (place > 0 && numbers[place] == numbers[place - 1] % 5 + 1) ++successors;
        }
    }
    for (int place = 0; place < 4; ++place) {
        for (int value = 1; value <= 5; ++value) {
            EXPECT_NEAR(seen[place][value], kDraws / 5, kDraws / 50) << place << ": " << value;
        }
    }
    // Each later place follows its predecessor's value in one case of four.
    EXPECT_NEAR(successors, kDraws * 3 / 4, kDraws / 50);
}

}  // namespace
}  // namespace suantiji
