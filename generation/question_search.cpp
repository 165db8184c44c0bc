#include "generation/question_search.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>

#include "generation/random.h"

namespace suantiji {

namespace {

bool isProduct(char op) { return op == '*' || op == '/'; }
bool isSum(char op) { return op == '+' || op == '-'; }

// The first operator at or after `from` that is a "*" or "/" directly followed by a "+" or
// "-": where the pattern's next match starts, since every operand is digits.
int findPair(const CandidateShape& shape, int from) {
    for (int i = from; i + 2 < shape.operands; ++i) {
        if (isProduct(shape.ops[static_cast<std::size_t>(i)]) &&
            isSum(shape.ops[static_cast<std::size_t>(i) + 1])) {
            return i;
        }
    }
    return -1;
}

// Exact values for the search's judgement. An operation that would overflow marks the result
// unknown, and an unknown value never decides anything.
__extension__ typedef __int128 Wide;

struct Fraction {
    Wide num = 0;
    Wide den = 1;  // always positive
    bool known = true;

    bool whole() const { return known && den == 1; }
};

Wide gcd(Wide a, Wide b) {
    if (a < 0) a = -a;
    if (b < 0) b = -b;
    // Nearly always both fit a machine word, where division is many times cheaper.
    if (a <= INT64_MAX && b <= INT64_MAX) {
        return std::gcd(static_cast<std::uint64_t>(a), static_cast<std::uint64_t>(b));
    }
    while (b != 0) {
        const Wide t = a % b;
        a = b;
        b = t;
    }
    return a;
}

Fraction reduced(Wide num, Wide den) {
    if (den < 0) {
        num = -num;
        den = -den;
    }
    const Wide g = gcd(num, den);
    if (g > 1) {
        num /= g;
        den /= g;
    }
    return {num, den, true};
}

Fraction combine(const Fraction& a, char op, const Fraction& b) {
    if (!a.known || !b.known) return {0, 1, false};
    Wide x = 0;
    Wide y = 0;
    Wide den = 0;
    bool overflow = false;
    switch (op) {
        case '+':
        case '-':
            overflow =
                __builtin_mul_overflow(a.num, b.den, &x) ||
                __builtin_mul_overflow(b.num, a.den, &y) ||
                __builtin_mul_overflow(a.den, b.den, &den) ||
                (op == '+' ? __builtin_add_overflow(x, y, &x) : __builtin_sub_overflow(x, y, &x));
            break;
        case '*':
            overflow = __builtin_mul_overflow(a.num, b.num, &x) ||
                       __builtin_mul_overflow(a.den, b.den, &den);
            break;
        default:
            if (b.num == 0) return {0, 1, false};
            overflow = __builtin_mul_overflow(a.num, b.den, &x) ||
                       __builtin_mul_overflow(a.den, b.num, &den);
            break;
    }
    if (overflow) return {0, 1, false};
    return reduced(x, den);
}

bool dividesWhole(Wide divisor, Wide multiple) {
    if (multiple <= INT64_MAX) {
        return static_cast<std::uint64_t>(multiple) % static_cast<std::uint64_t>(divisor) == 0;
    }
    return multiple % divisor == 0;
}

struct Interval {
    double lo;
    double hi;
};

Interval multiply(Interval a, Interval b) {
    const double p[] = {a.lo * b.lo, a.lo * b.hi, a.hi * b.lo, a.hi * b.hi};
    return {*std::min_element(p, p + 4), *std::max_element(p, p + 4)};
}

Interval divide(Interval a, Interval b) {
    if (b.lo > 0 || b.hi < 0) {
        const double p[] = {a.lo / b.lo, a.lo / b.hi, a.hi / b.lo, a.hi / b.hi};
        return {*std::min_element(p, p + 4), *std::max_element(p, p + 4)};
    }
    // A difference of two distinct operands is a whole number other than 0, so dividing by it
    // never makes anything larger.
    const double m = std::max(std::fabs(a.lo), std::fabs(a.hi));
    return {-m, m};
}

// A random order of 0..size-1: a start and a step prime to the size.
struct Stride {
    std::uint32_t start = 0;
    std::uint32_t step = 1;
    std::uint32_t size = 1;

    std::uint32_t at(std::uint32_t j) const {
        return static_cast<std::uint32_t>((start + std::uint64_t{j} * step) % size);
    }
};

Stride randomStride(SearchRandom& random, std::uint32_t size) {
    Stride s;
    s.size = size;
    if (size <= 1) return s;
    s.start = random.Below(size);
    do {
        s.step = 1 + random.Below(size - 1);
    } while (std::gcd(s.step, size) != 1);
    return s;
}

}  // namespace

namespace detail {

// The depth-first search over the operands of one shape, left to right. Each operand is
// chosen from a random order of the values; a choice is followed only while the value can
// still end in range (interval bounds over what is left) and, where the rest of a term only
// divides, while the term can still end whole.
class ShapeSolver {
public:
    enum class End { Stopped, Exhausted, OutOfWork };
    using Visit = std::function<bool(const std::int32_t*)>;

    ShapeSolver(const CandidateShape& shape, std::int32_t largest, std::int32_t answerLimit,
                SearchRandom& random, const std::function<bool()>* stop = nullptr)
        : m_shape(shape),
          m_n(shape.operands),
          m_largest(largest),
          m_limit(answerLimit),
          m_random(random) {
        m_stop = stop;
        compile();
        m_chunk = largest <= 64 ? static_cast<std::uint32_t>(largest)
                                : static_cast<std::uint32_t>(std::ceil(std::sqrt(largest)));
        m_chunks = (static_cast<std::uint32_t>(largest) + m_chunk - 1) / m_chunk;
    }

    End Run(std::uint64_t work, const Visit& visit) {
        m_work = work;
        m_visit = &visit;
        m_end = End::Exhausted;
        descend(0);
        return m_end;
    }

    std::uint64_t WorkLeft() const { return m_work; }

    bool Accepts(const std::int32_t* numbers) {
        std::copy(numbers, numbers + m_n, m_numbers);
        for (int p = 0; p < m_n; ++p) settle(p);
        return acceptedExactly();
    }

private:
    struct Factor {
        int first;
        int second;   // -1 for a plain operand
        char op;      // inside a pair: its "+" or "-"
        char joined;  // "*" or "/" before it in its term; "*" for a term's first factor
    };
    struct Term {
        int sign;
        int firstFactor;
        int endFactor;
        bool plain = true;  // no pair among its factors
    };

    void compile() {
        int term = -1;
        char sign = '+';
        char joined = '*';
        for (int i = 0; i < m_n; ++i) {
            if (term < 0 || joined == 0) {
                m_terms.push_back(
                    {sign == '+' ? 1 : -1, static_cast<int>(m_factors.size()), 0, true});
                ++term;
                joined = '*';
            }
            Factor f{i, -1, 0, joined};
            if (m_shape.opens(i)) {
                f.second = i + 1;
                f.op = m_shape.ops[static_cast<std::size_t>(i)];
                m_factorOf[i] = static_cast<int>(m_factors.size());
                ++i;
            }
            m_factorOf[i] = static_cast<int>(m_factors.size());
            m_lastOfFactor[i] = true;
            m_termOf[i] = term;
            if (f.second >= 0) {
                m_termOf[f.first] = term;
                m_terms.back().plain = false;
            }
            m_factors.push_back(f);
            m_terms.back().endFactor = static_cast<int>(m_factors.size());
            const char next = i + 1 < m_n ? m_shape.ops[static_cast<std::size_t>(i)] : '+';
            if (isSum(next)) {
                sign = next;
                joined = 0;
            } else {
                joined = next;
            }
        }
        // Whether a term, or any term after it, divides at all.
        m_dividesFrom.assign(m_terms.size() + 1, false);
        for (int t = static_cast<int>(m_terms.size()) - 1; t >= 0; --t) {
            bool divides = false;
            for (int f = m_terms[static_cast<std::size_t>(t)].firstFactor;
                 f < m_terms[static_cast<std::size_t>(t)].endFactor; ++f) {
                divides = divides || m_factors[static_cast<std::size_t>(f)].joined == '/';
            }
            m_dividesFrom[static_cast<std::size_t>(t)] =
                divides || m_dividesFrom[static_cast<std::size_t>(t) + 1];
        }
        m_addsAndMultiplies = true;
        for (int i = 0; i + 1 < m_n; ++i) {
            const char op = m_shape.ops[static_cast<std::size_t>(i)];
            m_addsAndMultiplies = m_addsAndMultiplies && (op == '+' || op == '*');
        }
    }

    bool used(std::int32_t v, int assigned) const {
        for (int i = 0; i < assigned; ++i) {
            if (m_numbers[i] == v) return true;
        }
        return false;
    }

    // The `count` smallest and largest values not yet taken by the first `assigned` operands.
    void unusedExtremes(int assigned, int count, std::int32_t* smallest,
                        std::int32_t* largest) const {
        std::int32_t v = 1;
        for (int k = 0; k < count; ++k, ++v) {
            while (used(v, assigned)) ++v;
            smallest[k] = v;
        }
        v = m_largest;
        for (int k = 0; k < count; ++k, --v) {
            while (used(v, assigned)) --v;
            largest[k] = v;
        }
    }

    // Bounds on the value when the first `assigned` operands are set, the next one (if `span`)
    // lies in [spanLo, spanHi], and every other takes a value not yet used.
    Interval bound(int assigned, bool span, double spanLo, double spanHi) const {
        const int fixedUpTo = assigned + (span ? 1 : 0);
        const int open = m_n - fixedUpTo;
        std::int32_t smallest[9];
        std::int32_t largest[9];
        unusedExtremes(assigned, std::max(open, 1), smallest, largest);
        const Interval free{static_cast<double>(smallest[0]), static_cast<double>(largest[0])};
        auto operand = [&](int i) -> Interval {
            if (i >= 0 && i < assigned)
                return {static_cast<double>(m_numbers[i]), static_cast<double>(m_numbers[i])};
            if (span && i == assigned) return {spanLo, spanHi};
            return free;
        };
        auto factor = [&](const Factor& f) -> Interval {
            const Interval a = operand(f.first);
            if (f.second < 0) return a;
            const Interval b = operand(f.second);
            return f.op == '+' ? Interval{a.lo + b.lo, a.hi + b.hi}
                               : Interval{a.lo - b.hi, a.hi - b.lo};
        };
        double lo = 0;
        double hi = 0;
        int added = 0;
        int taken = 0;
        for (const Term& t : m_terms) {
            const Factor& first = m_factors[static_cast<std::size_t>(t.firstFactor)];
            // Lone open operands that are added or taken away are distinct values, so together
            // they come to at least the sum of the smallest values left.
            if (t.endFactor == t.firstFactor + 1 && first.second < 0 && first.first >= fixedUpTo) {
                ++(t.sign > 0 ? added : taken);
                continue;
            }
            Interval x{1, 1};
            if (t.plain) {
                // Positive factors in any order: the set ones, then the open ones, which are
                // distinct, so their product is at least that of the smallest values left.
                int multiplied = 0;
                int divided = 0;
                for (int f = t.firstFactor; f < t.endFactor; ++f) {
                    const Factor& next = m_factors[static_cast<std::size_t>(f)];
                    if (next.first >= fixedUpTo) {
                        ++(next.joined == '*' ? multiplied : divided);
                    } else {
                        x = next.joined == '*' ? multiply(x, factor(next))
                                               : divide(x, factor(next));
                    }
                }
                const double least = product(smallest, multiplied) / product(largest, divided);
                const double most = product(largest, multiplied) / product(smallest, divided);
                x = {x.lo * least, x.hi * most};
            } else {
                x = factor(first);
                for (int f = t.firstFactor + 1; f < t.endFactor; ++f) {
                    const Factor& next = m_factors[static_cast<std::size_t>(f)];
                    x = next.joined == '*' ? multiply(x, factor(next)) : divide(x, factor(next));
                }
            }
            if (t.sign > 0) {
                lo += x.lo;
                hi += x.hi;
            } else {
                lo -= x.hi;
                hi -= x.lo;
            }
        }
        lo += sum(smallest, added) - sum(largest, taken);
        hi += sum(largest, added) - sum(smallest, taken);
        if (m_addsAndMultiplies) {
            // Multiplying two parts gives at least their sum less one, and less nothing unless
            // one part is the operand 1: the value is at least the sum of the operands less 1.
            double operands = sum(smallest, open);
            for (int i = 0; i < fixedUpTo; ++i) operands += operand(i).lo;
            lo = std::max(lo, operands - 1);
        }
        return {lo, hi};
    }

    static double sum(const std::int32_t* v, int count) {
        double s = 0;
        for (int k = 0; k < count; ++k) s += v[k];
        return s;
    }

    static double product(const std::int32_t* v, int count) {
        double p = 1;
        for (int k = 0; k < count; ++k) p *= v[k];
        return p;
    }

    bool inRange(Interval v) const {
        // A whole answer from 0 to limit - 1; the half keeps rounding in the bounds harmless.
        return v.hi >= -0.5 && v.lo <= static_cast<double>(m_limit) - 0.5;
    }

    Fraction exactFactor(const Factor& f) const {
        const Fraction a{m_numbers[f.first], 1, true};
        if (f.second < 0) return a;
        return combine(a, f.op, Fraction{m_numbers[f.second], 1, true});
    }

    // Keeps the exact values that the first p + 1 operands set, once operand p is set: the
    // sum of the terms before p's term, and p's term up to its last whole factor.
    void settle(int p) {
        const int s = p + 1;
        const int t = m_termOf[p];
        const Term& term = m_terms[static_cast<std::size_t>(t)];
        const int f = m_factorOf[p];
        const Factor& factor = m_factors[static_cast<std::size_t>(f)];
        const bool firstFactor = f == term.firstFactor;
        if (firstFactor && p == factor.first) {
            m_before[s] = p == 0 ? Fraction{} : total(p);
        } else {
            m_before[s] = m_before[p];
        }
        if (m_lastOfFactor[p]) {
            const Fraction v = exactFactor(factor);
            m_through[s] = firstFactor ? v : combine(m_through[p], factor.joined, v);
        } else {
            m_through[s] = firstFactor ? Fraction{} : m_through[p];
        }
    }

    // The exact value of the first s operands, where operand s - 1 ends a factor.
    Fraction total(int s) const {
        const Term& term = m_terms[static_cast<std::size_t>(m_termOf[s - 1])];
        return combine(m_before[s], term.sign > 0 ? '+' : '-', m_through[s]);
    }

    // Where the rest of operand i's term only divides and no later term divides at all, a
    // whole sum of the earlier terms needs this term whole at every step: dividing can never
    // make a fraction whole again.
    bool wholeStepsFrom(int i) const {
        if (!m_lastOfFactor[i]) return false;
        const int t = m_termOf[i];
        if (m_dividesFrom[static_cast<std::size_t>(t) + 1]) return false;
        for (int f = m_factorOf[i] + 1; f < m_terms[static_cast<std::size_t>(t)].endFactor; ++f) {
            if (m_factors[static_cast<std::size_t>(f)].joined != '/') return false;
        }
        return m_before[i + 1].whole();
    }

    // After operand i is set, under the rule above: the term so far must be whole and at least
    // as large as the smallest product its remaining divisors can make.
    bool canEndWhole(int i) const {
        if (!wholeStepsFrom(i)) return true;
        const Term& term = m_terms[static_cast<std::size_t>(m_termOf[i])];
        const int done = m_factorOf[i] + 1;
        const Fraction& so = m_through[i + 1];
        if (!so.known) return true;
        if (so.den != 1) return false;
        int divisors = 0;
        for (int f = done; f < term.endFactor; ++f) {
            if (m_factors[static_cast<std::size_t>(f)].second >= 0) return true;
            ++divisors;
        }
        std::int32_t smallest[9];
        std::int32_t largest[9];
        unusedExtremes(i + 1, divisors, smallest, largest);
        Wide product = 1;
        for (int k = 0; k < divisors; ++k) product *= smallest[k];
        return (so.num < 0 ? -so.num : so.num) >= product;
    }

    // When operand i completes a divisor of a term that is whole so far: what the divisor
    // divides to keep the term whole, and whether it must (under the rule above).
    struct Dividend {
        Wide value = 0;  // 0: no such divisor
        bool required = false;
    };

    Dividend dividend(int i) const {
        if (!m_lastOfFactor[i]) return {};
        const Factor& f = m_factors[static_cast<std::size_t>(m_factorOf[i])];
        if (f.joined != '/') return {};
        const Fraction& prev = m_through[i];
        if (!prev.whole()) return {};
        // The rule at the previous factor covers this one, whose "/" is part of what follows.
        return {prev.num < 0 ? -prev.num : prev.num, wholeStepsFrom(f.first - 1)};
    }

    bool acceptedExactly() const {
        const Fraction v = total(m_n);
        return v.whole() && v.num >= 0 && v.num < m_limit;
    }

    // Returns false once the search must stop.
    bool leaf() {
        if (!acceptedExactly()) return true;
        if (!(*m_visit)(m_numbers)) {
            m_end = End::Stopped;
            return false;
        }
        return true;
    }

    // The last operand, worked back from each whole answer: the value is a ratio of two
    // linear functions of it, so each answer needs at most one value. 1 when done, 0 to stop,
    // -1 when the numbers are too large to work back exactly.
    int solveLast(int depth) {
        const Term& term = m_terms[static_cast<std::size_t>(m_termOf[depth])];
        const int own = m_factorOf[depth];
        const Factor& f = m_factors[static_cast<std::size_t>(own)];
        const bool alone = own == term.firstFactor;
        // Alone, the last operand is a term of its own, and the one before ended a term.
        const Fraction before = alone && f.second < 0 ? total(depth) : m_before[depth];
        const Fraction& prev = m_through[depth];
        if (!before.known || !prev.known) return -1;
        const Stride answers = randomStride(m_random, static_cast<std::uint32_t>(m_limit));
        for (std::uint32_t j = 0; j < static_cast<std::uint32_t>(m_limit); ++j) {
            if (!spend()) return 0;
            Fraction t = combine(Fraction{answers.at(j), 1, true}, '-', before);
            if (term.sign < 0) t.num = -t.num;
            const Fraction factor = alone             ? t
                                    : f.joined == '*' ? combine(t, '/', prev)
                                                      : combine(prev, '/', t);
            if (!factor.whole()) continue;
            Wide x = factor.num;
            if (f.second == depth) {
                const Wide a = m_numbers[f.first];
                x = f.op == '+' ? x - a : a - x;
            }
            if (x < 1 || x > m_largest || used(static_cast<std::int32_t>(x), depth)) continue;
            m_numbers[depth] = static_cast<std::int32_t>(x);
            settle(depth);
            if (!leaf()) return 0;
        }
        return 1;
    }

    bool descend(int depth) {
        if (depth == m_n) return leaf();
        // Working back costs one step per answer, scanning one per value: take the cheaper.
        if (depth == m_n - 1 && m_limit <= m_largest) {
            const int solved = solveLast(depth);
            if (solved >= 0) return solved == 1;
        }
        const Dividend target = dividend(depth);
        const Factor& completes = m_factors[static_cast<std::size_t>(m_factorOf[depth])];
        auto divides = [&](std::int32_t v) {
            Wide divisor = v;
            if (completes.second == depth) {
                const Wide a = m_numbers[completes.first];
                divisor = completes.op == '+' ? a + v : a - v;
            }
            if (divisor < 0) divisor = -divisor;
            return divisor != 0 && dividesWhole(divisor, target.value);
        };
        // Divisors that keep the term whole come first: a whole term is what usually makes a
        // whole answer. The others follow where the rule allows them.
        if (target.value != 0) {
            return descendValues(depth, [&](std::int32_t v) { return divides(v); }) &&
                   (target.required ||
                    descendValues(depth, [&](std::int32_t v) { return !divides(v); }));
        }
        // A dividend that its divisors must divide: on every other search, multiples of the
        // least product they can make come first, so that long division chains are reached.
        const std::int64_t step = dividendStep(depth);
        if (step > 1 && m_random.Below(2) == 0) {
            return descendValues(depth, [&](std::int32_t v) { return v % step == 0; }) &&
                   descendValues(depth, [&](std::int32_t v) { return v % step != 0; });
        }
        return descendValues(depth, [](std::int32_t) { return true; });
    }

    // The least product of the divisors that follow operand i, when it starts a term whose
    // other factors are lone divisors that must leave it whole; 1 otherwise.
    std::int64_t dividendStep(int i) const {
        const Factor& f = m_factors[static_cast<std::size_t>(m_factorOf[i])];
        const Term& term = m_terms[static_cast<std::size_t>(m_termOf[i])];
        if (f.second >= 0 || m_factorOf[i] != term.firstFactor || !term.plain) return 1;
        if (!wholeStepsFrom(i)) return 1;
        const int divisors = term.endFactor - term.firstFactor - 1;
        std::int32_t smallest[9];
        std::int32_t largest[9];
        unusedExtremes(i, divisors + 1, smallest, largest);
        // The dividend takes one of the small values itself only when it is the product.
        std::int64_t product = 1;
        for (int k = 0; k < divisors; ++k) product *= smallest[k];
        return product <= m_largest ? product : 1;
    }

    template <typename Filter>
    bool descendValues(int depth, const Filter& keep) {
        const Stride chunks = randomStride(m_random, m_chunks);
        for (std::uint32_t c = 0; c < m_chunks; ++c) {
            const std::uint32_t chunk = chunks.at(c);
            const std::uint32_t first = chunk * m_chunk + 1;
            const std::uint32_t size =
                std::min(m_chunk, static_cast<std::uint32_t>(m_largest) - first + 1);
            if (!spend()) return false;
            if (m_chunks > 1 && !inRange(bound(depth, true, first, first + size - 1))) continue;
            const Stride values = randomStride(m_random, size);
            for (std::uint32_t j = 0; j < size; ++j) {
                const auto v = static_cast<std::int32_t>(first + values.at(j));
                if (used(v, depth) || !keep(v)) continue;
                if (!spend()) return false;
                m_numbers[depth] = v;
                settle(depth);
                if (!canEndWhole(depth) || !inRange(bound(depth + 1, false, 0, 0))) continue;
                if (!descend(depth + 1)) return false;
            }
        }
        return true;
    }

    bool spend() {
        // Time is looked at now and then, so that no search runs past the caller's deadline.
        if (m_work == 0 ||
            ((++m_spent & 0xFFFF) == 0 && m_stop != nullptr && *m_stop && (*m_stop)())) {
            m_end = End::OutOfWork;
            return false;
        }
        --m_work;
        return true;
    }

    const CandidateShape& m_shape;
    int m_n;
    std::int32_t m_largest;
    std::int32_t m_limit;
    SearchRandom& m_random;
    std::vector<Factor> m_factors;
    std::vector<Term> m_terms;
    std::vector<bool> m_dividesFrom;
    int m_factorOf[9]{};
    int m_termOf[9]{};
    bool m_lastOfFactor[9]{};
    bool m_addsAndMultiplies = false;
    std::uint32_t m_chunk = 1;
    std::uint32_t m_chunks = 1;
    std::int32_t m_numbers[9]{};
    Fraction m_before[10];
    Fraction m_through[10];
    std::uint64_t m_work = 0;
    std::uint64_t m_spent = 0;
    const std::function<bool()>* m_stop = nullptr;
    const Visit* m_visit = nullptr;
    End m_end = End::Exhausted;
};

}  // namespace detail

using detail::ShapeSolver;

namespace {

// Work given to a shape's first search; each time it runs out, the next one gets twice as
// much, so every shape is searched to its end in the long run.
constexpr std::uint64_t kFirstWork = 256;

}  // namespace

bool PlacePairs(CandidateShape& shape, bool mixedBrackets, bool bracketsOnly) {
    shape.firstPair = shape.secondPair = -1;
    if (!mixedBrackets && !bracketsOnly) return true;
    const int first = findPair(shape, 0);
    if (first < 0) return !bracketsOnly;
    shape.firstPair = first + 1;
    // With both options the pattern runs again over the bracketed text and finds its next
    // match past the first one.
    if (mixedBrackets && bracketsOnly) {
        const int second = findPair(shape, first + 3);
        if (second >= 0) shape.secondPair = second + 1;
    }
    return true;
}

std::string FlatText(const CandidateShape& shape, const std::int32_t* numbers) {
    char buffer[128];
    char* p = buffer;
    for (int i = 0; i < shape.operands; ++i) {
        p = std::to_chars(p, buffer + sizeof buffer, numbers[i]).ptr;
        if (i + 1 < shape.operands) *p++ = shape.ops[static_cast<std::size_t>(i)];
    }
    return std::string(buffer, p);
}

std::string BracketedText(const CandidateShape& shape, const std::int32_t* numbers) {
    char buffer[128];
    char* p = buffer;
    for (int i = 0; i < shape.operands; ++i) {
        if (shape.opens(i)) *p++ = '(';
        p = std::to_chars(p, buffer + sizeof buffer, numbers[i]).ptr;
        if (i > 0 && shape.opens(i - 1)) *p++ = ')';
        if (i + 1 < shape.operands) *p++ = shape.ops[static_cast<std::size_t>(i)];
    }
    return std::string(buffer, p);
}

std::uint64_t SearchRandom::Next() {
    m_state += 0x9e3779b97f4a7c15ULL;
    return MixCounter(m_state);
}

std::uint32_t SearchRandom::Below(std::uint32_t bound) {
    return static_cast<std::uint32_t>((Next() >> 32) * bound >> 32);
}

QuestionSearch::QuestionSearch(const GenerationRequest& request, std::uint64_t seed)
    : m_request(request),
      m_largest(static_cast<std::int32_t>(RandomSource::ReachableValues(1, request.numberLimit))),
      m_random(seed),
      m_proofWork(kFirstWork) {
    const int slots = request.operandCount - 1;
    const auto kinds = static_cast<std::uint32_t>(request.operators.size());
    std::uint32_t shapes = 1;
    for (int i = 0; i < slots; ++i) shapes *= kinds;
    m_tries.assign(shapes, 0);
    m_finds.assign(shapes, 0);
    for (std::uint32_t s = 0; s < shapes; ++s) {
        // Under bracketsOnly a candidate without a pair is never kept.
        if (!request.bracketsOnly || shapeAt(s).firstPair >= 0) m_live.push_back(s);
    }
}

double QuestionSearch::score(std::uint32_t index) const {
    return (m_finds[index] + 1.0) / (m_tries[index] + 2.0);
}

CandidateShape QuestionSearch::shapeAt(std::uint32_t index) const {
    CandidateShape shape;
    shape.operands = m_request.operandCount;
    const auto kinds = static_cast<std::uint32_t>(m_request.operators.size());
    for (int i = 0; i + 1 < shape.operands; ++i) {
        shape.ops[static_cast<std::size_t>(i)] = m_request.operators[index % kinds][0];
        index /= kinds;
    }
    PlacePairs(shape, m_request.mixedBrackets, m_request.bracketsOnly);
    return shape;
}

// The search sets operands from left to right, so the last ones are those squeezed into what
// is left. Swapping operands at random, and keeping each swap that leaves the question whole
// and in range, spreads the values over the places as drawn questions have them.
void QuestionSearch::mix(ShapeSolver& solver, int operands, std::int32_t* numbers) {
    for (int step = 0; step < 2 * operands; ++step) {
        const auto i = m_random.Below(static_cast<std::uint32_t>(operands));
        const auto j = m_random.Below(static_cast<std::uint32_t>(operands));
        if (i == j) continue;
        std::swap(numbers[i], numbers[j]);
        if (!solver.Accepts(numbers)) std::swap(numbers[i], numbers[j]);
    }
}

void QuestionSearch::retire(std::size_t liveSlot) {
    m_live[liveSlot] = m_live.back();
    m_live.pop_back();
}

QuestionSearch::Result QuestionSearch::Sample(std::uint64_t nodes, CandidateShape& shape,
                                              std::int32_t* numbers) {
    if (m_live.empty()) return Result::NoneLeft;
    // Of two random shapes, the one whose searches have found more for their work: shapes
    // where questions are easy to reach get more turns, and every shape keeps some.
    const auto live = static_cast<std::uint32_t>(m_live.size());
    std::size_t slot = m_random.Below(live);
    const std::size_t other = m_random.Below(live);
    if (score(m_live[other]) > score(m_live[slot])) slot = other;
    const std::uint32_t index = m_live[slot];
    const Result result = search(slot, nodes, shape, numbers);
    ++m_tries[index];
    if (result == Result::Found) ++m_finds[index];
    return result;
}

QuestionSearch::Result QuestionSearch::search(std::size_t slot, std::uint64_t& nodes,
                                              CandidateShape& shape, std::int32_t* numbers) {
    shape = shapeAt(m_live[slot]);
    ShapeSolver solver(shape, m_largest, m_request.answerLimit, m_random, &m_stop);
    const ShapeSolver::Visit take = [&](const std::int32_t* found) {
        std::copy(found, found + shape.operands, numbers);
        return false;
    };
    const ShapeSolver::End end = solver.Run(nodes, take);
    nodes = solver.WorkLeft();
    switch (end) {
        case ShapeSolver::End::Stopped:
            mix(solver, shape.operands, numbers);
            return Result::Found;
        case ShapeSolver::End::Exhausted:
            retire(slot);
            return m_live.empty() ? Result::NoneLeft : Result::OutOfWork;
        case ShapeSolver::End::OutOfWork:
            break;
    }
    return Result::OutOfWork;
}

QuestionSearch::Result QuestionSearch::Prove(CandidateShape& shape, std::int32_t* numbers) {
    if (m_live.empty()) return Result::NoneLeft;
    if (m_proofCursor >= m_live.size()) {
        m_proofCursor = 0;
        m_proofWork *= 2;
    }
    std::uint64_t work = m_proofWork;
    const std::size_t live = m_live.size();
    const Result result = search(m_proofCursor, work, shape, numbers);
    // A retired shape's place now holds another, whose turn it is.
    if (m_live.size() == live) ++m_proofCursor;
    return result;
}

QuestionSearch::Result QuestionSearch::ForEach(std::uint64_t nodes, const Visitor& visit) {
    std::sort(m_live.begin(), m_live.end());
    for (std::size_t slot = 0; slot < m_live.size();) {
        const CandidateShape shape = shapeAt(m_live[slot]);
        ShapeSolver solver(shape, m_largest, m_request.answerLimit, m_random, &m_stop);
        bool any = false;
        const ShapeSolver::Visit each = [&](const std::int32_t* found) {
            any = true;
            return visit(shape, found);
        };
        const ShapeSolver::End end = solver.Run(nodes, each);
        nodes = solver.WorkLeft();
        if (end != ShapeSolver::End::Exhausted) return Result::OutOfWork;
        if (!any) {
            m_live.erase(m_live.begin() + static_cast<std::ptrdiff_t>(slot));
        } else {
            ++slot;
        }
    }
    return Result::NoneLeft;
}

}  // namespace suantiji
