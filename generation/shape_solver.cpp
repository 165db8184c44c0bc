#include "generation/shape_solver.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace suantiji {

namespace {

// A random order of 0..size-1: a start and a step prime to the size.
struct Stride {
    std::uint64_t start = 0;
    std::uint64_t step = 1;
    std::uint64_t size = 1;

    std::uint64_t at(std::uint64_t j) const { return (start + j * step) % size; }
};

Stride randomStride(SearchRandom& random, std::uint64_t size) {
    Stride s;
    s.size = size;
    if (size <= 1) return s;
    const auto below = [&random](std::uint64_t bound) {
        return bound <= UINT32_MAX ? random.Below(static_cast<std::uint32_t>(bound))
                                   : random.Next() % bound;
    };
    s.start = below(size);
    do {
        s.step = 1 + below(size - 1);
    } while (std::gcd(s.step, size) != 1);
    return s;
}

}  // namespace

ShapeSolver::ShapeSolver(const CandidateShape& shape, SolverLimits limits, bool guided,
                         SearchRandom& random, const std::function<bool()>* stop)
    : m_shape(shape),
      m_limits(limits),
      m_guided(guided),
      m_plan(PlanShape(shape, limits.wholeSteps, !guided)),
      m_random(random),
      m_stop(stop) {}

bool ShapeSolver::factorSet(const Factor& f) const {
    return m_assigned[f.first] && (f.plain() || m_assigned[f.second]);
}

Fraction ShapeSolver::factorValue(const Factor& f) const {
    const Fraction a{m_numbers[f.first], 1, true};
    if (f.second < 0) return a;
    return Combine(a, f.op, Fraction{m_numbers[f.second], 1, true});
}

Fraction ShapeSolver::termValue(const Term& t, int skipFactor) const {
    Fraction v{1, 1, true};
    for (int f = t.firstFactor; f < t.endFactor; ++f) {
        if (f == skipFactor) continue;
        const Factor& factor = m_plan.factor(f);
        v = Combine(v, factor.joined, factorValue(factor));
    }
    return v;
}

// The signed sum of every term but the pivot's, each complete.
Fraction ShapeSolver::othersSum() const {
    Fraction s{0, 1, true};
    for (std::size_t t = 0; t < m_plan.terms.size(); ++t) {
        if (static_cast<int>(t) == m_plan.pivotTerm) continue;
        s = Combine(s, m_plan.terms[t].sign > 0 ? '+' : '-', m_termExact[t]);
    }
    return s;
}

bool ShapeSolver::used(std::int32_t v) const {
    for (int i = 0; i < m_plan.operands; ++i) {
        if (m_assigned[i] && m_numbers[i] == v) return true;
    }
    return false;
}

bool ShapeSolver::inOrder(int position, std::int32_t v) const {
    const int c = m_plan.classOf[position];
    if (c < 0) return true;
    bool before = true;  // whether `other` comes before `position` in the class
    for (int other : m_plan.classes[static_cast<std::size_t>(c)]) {
        if (other == position) {
            before = false;
        } else if (m_assigned[other] && (before ? m_numbers[other] >= v : m_numbers[other] <= v)) {
            return false;
        }
    }
    return true;
}

void ShapeSolver::assign(int position, std::int32_t v) {
    m_numbers[position] = v;
    m_assigned[position] = true;
    const int t = m_plan.termOf[position];
    if (--m_openInTerm[t] == 0) {
        m_termExact[t] = termValue(m_plan.term(t), -1);
    }
}

void ShapeSolver::unassign(int position) {
    m_assigned[position] = false;
    ++m_openInTerm[m_plan.termOf[position]];
}

// Once every other term is set, the pivot's term must take up the denominator of their sum:
// a whole answer needs it to divide the product of the term's divisors (the pivot and the
// factors that multiply can only cancel what those divisors bring).
bool ShapeSolver::pivotTermCanEnd() const {
    for (std::size_t t = 0; t < m_plan.terms.size(); ++t) {
        if (static_cast<int>(t) != m_plan.pivotTerm && m_openInTerm[t] != 0) return true;
    }
    const Fraction others = othersSum();
    if (!others.known || others.den == 1) return true;
    const Term& term = m_plan.term(m_plan.pivotTerm);
    Wide divisors = 1;
    int open = 0;
    for (int f = term.firstFactor + 1; f < term.endFactor; ++f) {
        const Factor& factor = m_plan.factor(f);
        if (factor.joined != '/') continue;
        if (!factorSet(factor)) {
            ++open;
            continue;
        }
        const Fraction v = factorValue(factor);
        if (!v.known || __builtin_mul_overflow(divisors, v.num < 0 ? -v.num : v.num, &divisors)) {
            return true;
        }
    }
    const Wide left = others.den / Gcd(others.den, divisors);
    if (open == 0) return left == 1;
    // Each open divisor is at most twice the largest operand (a sum of two).
    return static_cast<double>(left) <= std::pow(2.0 * m_limits.largest, open);
}

// With whole steps: the term of the operand just set is whole and not below zero at every step
// from its left as far as its factors are set, a sum in brackets is not below zero, and so are
// the sums of the terms from the left as far as they are set.
bool ShapeSolver::stepsHold(int position) const {
    if (!m_limits.wholeSteps) return true;
    auto wholeNotNegative = [](const Fraction& f) { return f.whole() && f.num >= 0; };
    const Factor& own = m_plan.factorAt(position);
    if (own.second >= 0 && factorSet(own) && !wholeNotNegative(factorValue(own))) return false;
    const int t = m_plan.termOf[position];
    const Term& term = m_plan.term(t);
    Fraction sofar{1, 1, true};
    for (int f = term.firstFactor; f < term.endFactor; ++f) {
        const Factor& factor = m_plan.factor(f);
        if (!factorSet(factor)) break;
        sofar = Combine(sofar, factor.joined, factorValue(factor));
        if (!wholeNotNegative(sofar)) return false;
    }
    if (m_openInTerm[t] != 0) return true;
    Fraction sum{0, 1, true};
    for (std::size_t k = 0; k < m_plan.terms.size() && m_openInTerm[k] == 0; ++k) {
        sum = Combine(sum, m_plan.terms[k].sign > 0 ? '+' : '-', m_termExact[k]);
        if (!wholeNotNegative(sum)) return false;
    }
    return true;
}

bool ShapeSolver::canEnd(int spanPos, Range span) const {
    return CanEnd(m_plan, m_limits, {m_numbers, m_assigned}, spanPos, span);
}

ShapeSolver::End ShapeSolver::Run(std::uint64_t work, std::int32_t scale, const Visit& visit) {
    m_work = work;
    m_visit = &visit;
    m_end = End::Exhausted;
    m_scale = std::clamp(scale, 1, m_limits.largest);
    std::fill(m_assigned, m_assigned + kMaxOperandCount, false);
    for (std::size_t t = 0; t < m_plan.terms.size(); ++t) {
        const Term& term = m_plan.terms[t];
        int positions = 0;
        for (int f = term.firstFactor; f < term.endFactor; ++f) {
            positions += m_plan.factor(f).second < 0 ? 1 : 2;
        }
        m_openInTerm[t] = positions;
    }
    if (canEnd(-1, {})) descend(0);
    return m_end;
}

bool ShapeSolver::descend(int depth) {
    if (depth == m_plan.operands) return leaf();
    if (m_plan.order[depth] == m_plan.pivot) return solvePivot();
    Tried& tried = m_tried[depth];
    tried = {};
    const int position = m_plan.order[depth];
    const Factor& factor = m_plan.factorAt(position);
    Wide step = 1;
    if (position == m_plan.partner) {
        step = partnerStep();
        if (step > m_scale) return spend();
    }
    const int t = m_plan.termOf[position];
    if (m_limits.wholeSteps && factor.second < 0 && factor.joined == '/' && leftSet(position)) {
        // What the term has so far, a whole number, must be divided into a whole number: only
        // its divisors can come next (unless there are too many to list).
        const Fraction sofar = partialTerm(t);
        std::vector<std::int32_t> values;
        if (sofar.whole() && cancellingDivisors(sofar.num, t, 1, true, values)) {
            return tryAll(depth, values, false);
        }
    } else if (m_guided && factor.second < 0) {
        // Values that cancel what the term has so far come first: divisors of its numerator
        // where it divides, multiples of its denominator where it multiplies.
        const Fraction sofar = partialTerm(t);
        if (factor.joined == '/' && sofar.known && sofar.num > 1) {
            cancellingDivisors(sofar.num, t, step, false, tried.values);
            std::sort(tried.values.begin(), tried.values.end());
            if (!tryAll(depth, tried.values, true)) return false;
        } else if (factor.joined == '*' && sofar.known && sofar.den > 1 && step == 1 &&
                   sofar.den <= m_scale) {
            const auto den = static_cast<std::int32_t>(sofar.den);
            if (!valuesBetween(depth, 1, m_scale / den, den)) return false;
            tried.multiplesOf = den;
        }
    }
    tried.active = true;
    const auto by = static_cast<std::int32_t>(step);
    return valuesBetween(depth, 1, m_scale / by, by);
}

// Whether every factor left of the operand's own in its term is set.
bool ShapeSolver::leftSet(int position) const {
    const Term& term = m_plan.term(m_plan.termOf[position]);
    for (int f = term.firstFactor; f < m_plan.factorOf[position]; ++f) {
        const Factor& factor = m_plan.factor(f);
        if (!factorSet(factor)) return false;
    }
    return true;
}

// The term's value from the factors set so far.
Fraction ShapeSolver::partialTerm(int t) const {
    const Term& term = m_plan.term(t);
    Fraction v{1, 1, true};
    for (int f = term.firstFactor; f < term.endFactor; ++f) {
        const Factor& factor = m_plan.factor(f);
        if (!factorSet(factor)) continue;
        v = Combine(v, factor.joined, factorValue(factor));
    }
    return v;
}

// The multiples of `step` by divisors of n (which only has prime factors of the term's
// factors that multiply) up to the scale, but `step` itself only `withOne`; false when there
// were more than a few thousand to list.
bool ShapeSolver::cancellingDivisors(Wide n, int t, Wide step, bool withOne,
                                     std::vector<std::int32_t>& out) const {
    // The primes of the factors that multiply, found by trial division: each is at most
    // twice the largest operand.
    std::uint32_t primes[2 * kMaxOperandCount * 8];
    std::size_t primeCount = 0;
    const Term& term = m_plan.term(t);
    for (int f = term.firstFactor; f < term.endFactor; ++f) {
        const Factor& factor = m_plan.factor(f);
        if (factor.joined != '*' || !factorSet(factor)) continue;
        const Fraction v = factorValue(factor);
        auto x = static_cast<std::uint32_t>(v.num < 0 ? -v.num : v.num);
        for (std::uint32_t p = 2; p * p <= x; p += p == 2 ? 1 : 2) {
            if (x % p != 0) continue;
            primes[primeCount++] = p;
            while (x % p == 0) x /= p;
        }
        if (x > 1) primes[primeCount++] = x;
    }
    std::sort(primes, primes + primeCount);
    primeCount = static_cast<std::size_t>(std::unique(primes, primes + primeCount) - primes);
    // The divisors, grown one prime at a time from `step`, as far as the scale.
    constexpr std::size_t kMost = 4096;
    out.clear();
    if (step > m_scale) return true;
    out.push_back(static_cast<std::int32_t>(step));
    for (std::size_t i = 0; i < primeCount && out.size() <= kMost; ++i) {
        const std::size_t before = out.size();
        Wide rest = n;
        for (Wide power = primes[i]; rest % primes[i] == 0; power *= primes[i]) {
            rest /= primes[i];
            for (std::size_t k = 0; k < before && out.size() <= kMost; ++k) {
                const Wide d = out[k] * power;
                if (d <= m_scale) out.push_back(static_cast<std::int32_t>(d));
            }
            if (power > m_scale) break;
        }
    }
    if (!withOne) out.erase(std::remove(out.begin(), out.end(), 1), out.end());
    return out.size() <= kMost;
}

// Largest first, where a large divisor cancels the most; else in random order.
bool ShapeSolver::tryAll(int depth, std::vector<std::int32_t> values, bool largestFirst) {
    if (largestFirst) {
        std::sort(values.begin(), values.end(), std::greater<>());
    } else {
        for (std::size_t k = values.size(); k > 1; --k) {
            std::swap(values[k - 1], values[m_random.Below(static_cast<std::uint32_t>(k))]);
        }
    }
    for (const std::int32_t v : values) {
        if (!tryValue(depth, v)) return false;
    }
    return true;
}

// False once the search must stop.
bool ShapeSolver::tryValue(int depth, std::int32_t v) {
    const int position = m_plan.order[depth];
    if (used(v) || !inOrder(position, v)) return true;
    const Tried& tried = m_tried[depth];
    if (tried.active && ((tried.multiplesOf > 0 && v % tried.multiplesOf == 0) ||
                         std::binary_search(tried.values.begin(), tried.values.end(), v))) {
        return true;
    }
    if (!spend()) return false;
    assign(position, v);
    const bool go =
        stepsHold(position) && pivotTermCanEnd() && canEnd(-1, {}) ? descend(depth + 1) : true;
    unassign(position);
    return go;
}

// The values k * step for k from lo to hi, for the operand at this depth: halves in random
// order, each left out when the bounds rule it out, down to a few values in random order.
bool ShapeSolver::valuesBetween(int depth, std::int32_t lo, std::int32_t hi, std::int32_t step) {
    if (!spend()) return false;
    constexpr std::int32_t kFew = 16;
    if (hi - lo < kFew) {
        const auto size = static_cast<std::uint64_t>(hi - lo + 1);
        const Stride values = randomStride(m_random, size);
        for (std::uint64_t j = 0; j < size; ++j) {
            const auto k = lo + static_cast<std::int32_t>(values.at(j));
            if (!tryValue(depth, k * step)) return false;
        }
        return true;
    }
    const double from = static_cast<double>(lo) * step;
    const double to = static_cast<double>(hi) * step;
    if (!canEnd(m_plan.order[depth], Range{from, to, from})) return true;
    const std::int32_t mid = lo + (hi - lo) / 2;
    if (m_random.Below(2) == 0) {
        return valuesBetween(depth, lo, mid, step) && valuesBetween(depth, mid + 1, hi, step);
    }
    return valuesBetween(depth, mid + 1, hi, step) && valuesBetween(depth, lo, mid, step);
}

// The pivot's last divisor: for a whole answer the divisors must take up the denominator of
// the other terms' sum, so this one is a multiple of what the others leave of it.
Wide ShapeSolver::partnerStep() const {
    const Fraction others = othersSum();
    if (!others.known || others.den == 1) return 1;
    const Term& term = m_plan.term(m_plan.pivotTerm);
    Wide divisors = 1;
    for (int f = term.firstFactor + 1; f < term.endFactor; ++f) {
        const Factor& factor = m_plan.factor(f);
        if (factor.joined != '/' || factor.first == m_plan.partner) continue;
        const Fraction v = factorValue(factor);
        if (__builtin_mul_overflow(divisors, v.num < 0 ? -v.num : v.num, &divisors)) return 1;
    }
    return others.den / Gcd(others.den, divisors);
}

// The pivot is the first factor of its term: the value is the others' sum plus a multiple of
// it, so its whole answers in range are an arithmetic progression.
bool ShapeSolver::solvePivot() {
    if (!spend()) return false;
    const Term& term = m_plan.term(m_plan.pivotTerm);
    Fraction coefficient = termValue(term, m_plan.factorOf[m_plan.pivot]);
    if (term.sign < 0) coefficient.num = -coefficient.num;
    const Progression xs =
        WholeValuesOf(othersSum(), coefficient, m_limits.answerLimit - 1, 1, m_limits.largest);
    if (xs.count == 0) return true;
    const Stride order = randomStride(m_random, static_cast<std::uint64_t>(xs.count));
    for (std::uint64_t j = 0; j < static_cast<std::uint64_t>(xs.count); ++j) {
        if (!spend()) return false;
        const auto x =
            static_cast<std::int32_t>(xs.first + xs.step * static_cast<Wide>(order.at(j)));
        if (used(x) || !inOrder(m_plan.pivot, x)) continue;
        assign(m_plan.pivot, x);
        const bool go = leaf();
        unassign(m_plan.pivot);
        if (!go) return false;
    }
    return true;
}

bool ShapeSolver::leaf() {
    // A worked-out pivot makes it whole and in range; checked again, exactly, all the same.
    const Fraction v = Combine(othersSum(), m_plan.term(m_plan.pivotTerm).sign > 0 ? '+' : '-',
                               m_termExact[static_cast<std::size_t>(m_plan.pivotTerm)]);
    if (!v.whole() || v.num < 0 || v.num >= m_limits.answerLimit) return true;
    if (m_limits.wholeSteps && !WorkOut(BracketedText(m_shape, m_numbers)).wholeSteps) return true;
    if (!(*m_visit)(m_numbers)) {
        m_end = End::Stopped;
        return false;
    }
    return true;
}

bool ShapeSolver::spend() {
    // Time is looked at now and then, so that no search runs past the caller's deadline.
    if (m_work == 0 || ((++m_spent & 0xFFFF) == 0 && m_stop != nullptr && *m_stop && (*m_stop)())) {
        m_end = End::OutOfWork;
        return false;
    }
    --m_work;
    return true;
}

bool ShapeSolver::ForEachOrder(const std::int32_t* numbers, const Visit& visit) const {
    std::int32_t order[kMaxOperandCount];
    std::copy(numbers, numbers + m_plan.operands, order);
    // Each class in turn runs through the orders of its values, the later ones for each.
    const std::function<bool(std::size_t)> from = [&](std::size_t c) {
        if (c == m_plan.classes.size()) return visit(order);
        const std::vector<int>& positions = m_plan.classes[c];
        std::vector<std::int32_t> values;
        for (int p : positions) values.push_back(order[p]);
        std::sort(values.begin(), values.end());
        do {
            for (std::size_t k = 0; k < positions.size(); ++k) {
                order[positions[k]] = values[k];
            }
            if (!from(c + 1)) return false;
        } while (std::next_permutation(values.begin(), values.end()));
        return true;
    };
    return from(0);
}

void ShapeSolver::Shuffle(std::int32_t* numbers) {
    for (const std::vector<int>& positions : m_plan.classes) {
        for (std::size_t k = positions.size(); k > 1; --k) {
            const auto j = m_random.Below(static_cast<std::uint32_t>(k));
            std::swap(numbers[positions[k - 1]], numbers[positions[j]]);
        }
    }
}

}  // namespace suantiji
