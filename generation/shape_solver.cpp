#include "generation/shape_solver.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace suantiji {

namespace {

bool isSum(char op) { return op == '+' || op == '-'; }

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

double product(const std::int32_t* v, int count) {
    double p = 1;
    for (int k = 0; k < count; ++k) p *= v[k];
    return p;
}

double sum(const std::int32_t* v, int count) {
    double s = 0;
    for (int k = 0; k < count; ++k) s += v[k];
    return s;
}

}  // namespace

ShapeSolver::ShapeSolver(const CandidateShape& shape, SolverLimits limits, SearchRandom& random,
                         const std::function<bool()>* stop)
    : m_shape(shape), m_n(shape.operands), m_limits(limits), m_random(random), m_stop(stop) {
    compile();
    chooseOrder();
    findClasses();
}

void ShapeSolver::compile() {
    char sign = '+';
    char joined = 0;  // 0: the next operand starts a term
    for (int i = 0; i < m_n; ++i) {
        if (joined == 0) {
            m_terms.push_back({sign == '+' ? 1 : -1, static_cast<int>(m_factors.size()), 0});
            joined = '*';
        }
        const int term = static_cast<int>(m_terms.size()) - 1;
        Factor f{i, -1, 0, joined};
        if (m_shape.opens(i)) {
            f.second = i + 1;
            f.op = m_shape.ops[static_cast<std::size_t>(i)];
            m_factorOf[i] = static_cast<int>(m_factors.size());
            m_termOf[i] = term;
            ++i;
        }
        m_factorOf[i] = static_cast<int>(m_factors.size());
        m_termOf[i] = term;
        m_terms.back().divides = m_terms.back().divides || joined == '/';
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
    m_onlyAddsAndMultiplies = true;
    for (int i = 0; i + 1 < m_n; ++i) {
        const char op = m_shape.ops[static_cast<std::size_t>(i)];
        m_onlyAddsAndMultiplies = m_onlyAddsAndMultiplies && (op == '+' || op == '*');
    }
}

// The operand worked out is the first of the term with the most divisors, which can take up
// the denominators of the other terms; without division, a lone number, which needs nothing
// of the others.
void ShapeSolver::chooseOrder() {
    if (m_limits.wholeSteps) return chooseStepOrder();
    const auto termCount = static_cast<int>(m_terms.size());
    int best = -1;
    int bestDivisors = 0;
    for (int t = 0; t < termCount; ++t) {
        const Term& term = m_terms[static_cast<std::size_t>(t)];
        int divisors = 0;
        for (int f = term.firstFactor; f < term.endFactor; ++f) {
            divisors += m_factors[static_cast<std::size_t>(f)].joined == '/' ? 1 : 0;
        }
        if (divisors > 0 && divisors >= bestDivisors) {
            best = t;
            bestDivisors = divisors;
        }
    }
    for (int t = termCount - 1; best < 0 && t >= 0; --t) {
        const Term& term = m_terms[static_cast<std::size_t>(t)];
        if (term.endFactor == term.firstFactor + 1 &&
            m_factors[static_cast<std::size_t>(term.firstFactor)].second < 0) {
            best = t;
        }
    }
    if (best < 0) best = termCount - 1;
    m_pivotTerm = best;
    const Term& pivotTerm = m_terms[static_cast<std::size_t>(best)];
    m_pivot = m_factors[static_cast<std::size_t>(pivotTerm.firstFactor)].first;

    int depth = 0;
    for (int i = 0; i < m_n; ++i) {
        if (m_termOf[i] != best) m_order[depth++] = i;
    }
    // In the pivot's term the factors that multiply come first, then those that divide, with a
    // plain one last: it is taken among the multiples the pivot needs.
    auto factorsJoinedBy = [&](char joined) {
        for (int f = pivotTerm.firstFactor + 1; f < pivotTerm.endFactor; ++f) {
            const Factor& factor = m_factors[static_cast<std::size_t>(f)];
            if (factor.joined != joined) continue;
            m_order[depth++] = factor.first;
            if (factor.second >= 0) m_order[depth++] = factor.second;
        }
    };
    factorsJoinedBy('*');
    const int divisorsFrom = depth;
    factorsJoinedBy('/');
    for (int d = depth - 1; d >= divisorsFrom; --d) {
        const Factor& factor = m_factors[static_cast<std::size_t>(m_factorOf[m_order[d]])];
        if (factor.second < 0) {
            m_partner = m_order[d];
            std::rotate(m_order + d, m_order + d + 1, m_order + depth);
            break;
        }
    }
    m_order[depth] = m_pivot;
}

// Which operands can be exchanged. Without whole steps: the plain factors of a term that
// multiply, those that divide, the lone numbers added, those taken away, and the two of a sum
// in brackets. With whole steps only runs of these that no other step stands between: a run
// of divisions of a whole number is whole at every step when it is whole at the end, a run of
// lone numbers taken away stays above zero at every step when it does at the end, and runs of
// multiplications and additions only grow.
// With whole steps the operands are set from left to right, so that every step is checked as
// soon as it is set, and a divisor is taken among the divisors of what its term has so far.
// The last plain factor that multiplies in the last term is worked out at the end: the steps
// it is part of are whole when the answer is.
void ShapeSolver::chooseStepOrder() {
    m_pivotTerm = static_cast<int>(m_terms.size()) - 1;
    const Term& term = m_terms.back();
    for (int f = term.firstFactor; f < term.endFactor; ++f) {
        const Factor& factor = m_factors[static_cast<std::size_t>(f)];
        if (factor.second < 0 && factor.joined == '*') m_pivot = factor.first;
    }
    int depth = 0;
    for (int i = 0; i < m_n; ++i) {
        if (i != m_pivot) m_order[depth++] = i;
    }
    m_order[depth] = m_pivot;
}

void ShapeSolver::findClasses() {
    std::fill(m_classOf, m_classOf + 9, -1);
    const bool runs = m_limits.wholeSteps;
    std::vector<std::vector<int>> groups;
    std::vector<int> lone[2];
    for (const Term& term : m_terms) {
        const Factor& first = m_factors[static_cast<std::size_t>(term.firstFactor)];
        const bool isLone = term.endFactor == term.firstFactor + 1 && first.second < 0;
        std::vector<int>& sameSign = lone[term.sign > 0 ? 0 : 1];
        if (runs && (!isLone || (!sameSign.empty() && sameSign.back() + 1 != first.first))) {
            // A term between ends the runs of lone numbers.
            groups.push_back(std::move(lone[0]));
            groups.push_back(std::move(lone[1]));
            lone[0].clear();
            lone[1].clear();
        }
        if (isLone) {
            if (runs && !lone[term.sign > 0 ? 1 : 0].empty()) {
                groups.push_back(std::move(lone[term.sign > 0 ? 1 : 0]));
                lone[term.sign > 0 ? 1 : 0].clear();
            }
            lone[term.sign > 0 ? 0 : 1].push_back(first.first);
            continue;
        }
        std::vector<int> byOperator[2];  // those that multiply, those that divide
        for (int f = term.firstFactor; f < term.endFactor; ++f) {
            const Factor& factor = m_factors[static_cast<std::size_t>(f)];
            const int kind = factor.joined == '*' ? 0 : 1;
            if (runs && (factor.second >= 0 || !byOperator[1 - kind].empty())) {
                groups.push_back(std::move(byOperator[0]));
                groups.push_back(std::move(byOperator[1]));
                byOperator[0].clear();
                byOperator[1].clear();
            }
            if (factor.second >= 0) {
                if (factor.op == '+') groups.push_back({factor.first, factor.second});
            } else {
                byOperator[kind].push_back(factor.first);
            }
        }
        groups.push_back(std::move(byOperator[0]));
        groups.push_back(std::move(byOperator[1]));
    }
    groups.push_back(std::move(lone[0]));
    groups.push_back(std::move(lone[1]));
    int depthOf[9];
    for (int d = 0; d < m_n; ++d) depthOf[m_order[d]] = d;
    for (std::vector<int>& group : groups) {
        // The worked-out operand takes whatever value the others leave it, in no order.
        group.erase(std::remove(group.begin(), group.end(), m_pivot), group.end());
        if (group.size() < 2) continue;
        // The others fall in the order they are set: the first set is the largest, which
        // leaves the most room for what follows to cancel it or be cancelled by it.
        std::sort(group.begin(), group.end(),
                  [&](int a, int b) { return depthOf[a] > depthOf[b]; });
        for (int position : group) m_classOf[position] = static_cast<int>(m_classes.size());
        m_classes.push_back(std::move(group));
    }
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
        const Factor& factor = m_factors[static_cast<std::size_t>(f)];
        v = Combine(v, factor.joined, factorValue(factor));
    }
    return v;
}

// The signed sum of every term but the pivot's, each complete.
Fraction ShapeSolver::othersSum() const {
    Fraction s{0, 1, true};
    for (std::size_t t = 0; t < m_terms.size(); ++t) {
        if (static_cast<int>(t) == m_pivotTerm) continue;
        s = Combine(s, m_terms[t].sign > 0 ? '+' : '-', m_termExact[t]);
    }
    return s;
}

bool ShapeSolver::used(std::int32_t v) const {
    for (int i = 0; i < m_n; ++i) {
        if (m_assigned[i] && m_numbers[i] == v) return true;
    }
    return false;
}

bool ShapeSolver::inOrder(int position, std::int32_t v) const {
    const int c = m_classOf[position];
    if (c < 0) return true;
    bool before = true;  // whether `other` comes before `position` in the class
    for (int other : m_classes[static_cast<std::size_t>(c)]) {
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
    const int t = m_termOf[position];
    if (--m_openInTerm[t] == 0) {
        m_termExact[t] = termValue(m_terms[static_cast<std::size_t>(t)], -1);
    }
}

void ShapeSolver::unassign(int position) {
    m_assigned[position] = false;
    ++m_openInTerm[m_termOf[position]];
}

// Once every other term is set, the pivot's term must take up the denominator of their sum:
// a whole answer needs it to divide the product of the term's divisors (the pivot and the
// factors that multiply can only cancel what those divisors bring).
bool ShapeSolver::pivotTermCanEnd() const {
    for (std::size_t t = 0; t < m_terms.size(); ++t) {
        if (static_cast<int>(t) != m_pivotTerm && m_openInTerm[t] != 0) return true;
    }
    const Fraction others = othersSum();
    if (!others.known || others.den == 1) return true;
    const Term& term = m_terms[static_cast<std::size_t>(m_pivotTerm)];
    Wide divisors = 1;
    int open = 0;
    for (int f = term.firstFactor + 1; f < term.endFactor; ++f) {
        const Factor& factor = m_factors[static_cast<std::size_t>(f)];
        if (factor.joined != '/') continue;
        if (!m_assigned[factor.first] || (factor.second >= 0 && !m_assigned[factor.second])) {
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
    auto set = [this](const Factor& f) {
        return m_assigned[f.first] && (f.second < 0 || m_assigned[f.second]);
    };
    const Factor& own = m_factors[static_cast<std::size_t>(m_factorOf[position])];
    if (own.second >= 0 && set(own) && !wholeNotNegative(factorValue(own))) return false;
    const int t = m_termOf[position];
    const Term& term = m_terms[static_cast<std::size_t>(t)];
    Fraction sofar{1, 1, true};
    for (int f = term.firstFactor; f < term.endFactor; ++f) {
        const Factor& factor = m_factors[static_cast<std::size_t>(f)];
        if (!set(factor)) break;
        sofar = Combine(sofar, factor.joined, factorValue(factor));
        if (!wholeNotNegative(sofar)) return false;
    }
    if (m_openInTerm[t] != 0) return true;
    Fraction sum{0, 1, true};
    for (std::size_t k = 0; k < m_terms.size() && m_openInTerm[k] == 0; ++k) {
        sum = Combine(sum, m_terms[k].sign > 0 ? '+' : '-', m_termExact[k]);
        if (!wholeNotNegative(sum)) return false;
    }
    return true;
}

void ShapeSolver::unusedExtremes(int count, std::int32_t* smallest, std::int32_t* largest) const {
    std::int32_t taken[9];
    int k = 0;
    for (int i = 0; i < m_n; ++i) {
        if (!m_assigned[i]) continue;
        // In rising order, by insertion: there are nine at most.
        int j = k++;
        for (; j > 0 && taken[j - 1] > m_numbers[i]; --j) taken[j] = taken[j - 1];
        taken[j] = m_numbers[i];
    }
    std::int32_t v = 1;
    for (int c = 0, j = 0; c < count; ++c, ++v) {
        for (; j < k && taken[j] <= v; ++j) {
            if (taken[j] == v) ++v;
        }
        smallest[c] = v;
    }
    v = m_limits.largest;
    for (int c = 0, j = k - 1; c < count; ++c, --v) {
        for (; j >= 0 && taken[j] >= v; --j) {
            if (taken[j] == v) --v;
        }
        largest[c] = v;
    }
}

namespace {

using Range = ShapeSolver::Range;  // bounds, and a gap around zero

Range point(double v) { return {v, v, std::fabs(v)}; }

Range multiply(Range a, Range b) {
    const double p[] = {a.lo * b.lo, a.lo * b.hi, a.hi * b.lo, a.hi * b.hi};
    return {*std::min_element(p, p + 4), *std::max_element(p, p + 4), a.minAbs * b.minAbs};
}

double largestMagnitude(Range r) { return std::max(std::fabs(r.lo), std::fabs(r.hi)); }

Range divide(Range a, Range b) {
    const double minAbs = a.minAbs / largestMagnitude(b);
    if (b.lo > 0 || b.hi < 0) {
        const double p[] = {a.lo / b.lo, a.lo / b.hi, a.hi / b.lo, a.hi / b.hi};
        return {*std::min_element(p, p + 4), *std::max_element(p, p + 4), minAbs};
    }
    // A difference of two distinct operands is a whole number other than 0.
    const double m = largestMagnitude(a) / std::max(b.minAbs, 1.0);
    return {-m, m, minAbs};
}

}  // namespace

ShapeSolver::Range ShapeSolver::factorRange(const Factor& f, int spanPos, Range span) const {
    auto operand = [&](int i) {
        if (m_assigned[i]) return point(m_numbers[i]);
        if (i == spanPos) return span;
        return m_free;
    };
    const Range a = operand(f.first);
    if (f.second < 0) return a;
    const Range b = operand(f.second);
    if (f.op == '+') return {a.lo + b.lo, a.hi + b.hi, a.lo + b.lo};
    const double lo = a.lo - b.hi;
    const double hi = a.hi - b.lo;
    return {lo, hi, lo > 0 ? lo : hi < 0 ? -hi : 1};
}

// Bounds on each open operand from the rising order of its class: the k-th open one after a
// set value v is at least v + k, the k-th before one is at most v - k.
template <typename IsOpen>
void ShapeSolver::openBounds(const IsOpen& isOpen, double* low, double* high) const {
    for (int i = 0; i < m_n; ++i) {
        low[i] = 1;
        high[i] = m_limits.largest;
    }
    for (const std::vector<int>& positions : m_classes) {
        double below = 0;
        for (int p : positions) {
            below = isOpen(p) ? below + 1 : m_assigned[p] ? m_numbers[p] : below;
            low[p] = std::max(low[p], below);
        }
        double above = m_limits.largest + 1.0;
        for (auto p = positions.rbegin(); p != positions.rend(); ++p) {
            above = isOpen(*p) ? above - 1 : m_assigned[*p] ? m_numbers[*p] : above;
            high[*p] = std::min(high[*p], above);
        }
    }
}

// Whether the value can still be a whole number in range, with the operands set so far, the
// operand at `spanPos` (if any) within `span`, and every other one a value not yet used.
bool ShapeSolver::canEnd(int spanPos, Range span) const {
    int open = 0;
    for (int i = 0; i < m_n; ++i) open += !m_assigned[i] && i != spanPos ? 1 : 0;
    std::int32_t smallest[9];
    std::int32_t largest[9];
    unusedExtremes(std::max(open, 1), smallest, largest);
    m_free = {static_cast<double>(smallest[0]), static_cast<double>(largest[0]),
              static_cast<double>(smallest[0])};
    auto isOpen = [&](int i) { return !m_assigned[i] && i != spanPos; };
    double low[9];
    double high[9];
    openBounds(isOpen, low, high);

    // Terms without division are whole; those with division must add up to a whole number.
    Range whole{0, 0, 0};
    Range parts{0, 0, 0};
    bool anyParts = false;
    bool partsPositive = true;
    bool partsNegative = true;
    int added = 0;
    int taken = 0;
    Range lone[2]{{0, 0, 0}, {0, 0, 0}};  // the open lone operands added, and taken away
    // What rounding can add to each bound grows with the terms summed into it.
    double magnitudeLo = 0;
    double magnitudeHi = 0;
    Range only{0, 0, 0};
    for (const Term& term : m_terms) {
        const Factor& first = m_factors[static_cast<std::size_t>(term.firstFactor)];
        // Lone open operands that are added or taken away are distinct values, so together
        // they come to at least the sum of the smallest values left.
        if (term.endFactor == term.firstFactor + 1 && first.second < 0 && isOpen(first.first)) {
            ++(term.sign > 0 ? added : taken);
            lone[term.sign > 0 ? 0 : 1].lo += low[first.first];
            lone[term.sign > 0 ? 0 : 1].hi += high[first.first];
            continue;
        }
        // Open plain factors are distinct too: their product is at least that of the
        // smallest values left.
        Range x = point(1);
        int multiplied = 0;
        int divided = 0;
        Range open{1, 1, 0};  // the open plain factors, by their own bounds
        for (int f = term.firstFactor; f < term.endFactor; ++f) {
            const Factor& factor = m_factors[static_cast<std::size_t>(f)];
            if (factor.second < 0 && isOpen(factor.first)) {
                const int i = factor.first;
                if (factor.joined == '*') {
                    ++multiplied;
                    open = {open.lo * low[i], open.hi * high[i], 0};
                } else {
                    ++divided;
                    open = {open.lo / high[i], open.hi / low[i], 0};
                }
                continue;
            }
            const Range v = factorRange(factor, spanPos, span);
            x = factor.joined == '*' ? multiply(x, v) : divide(x, v);
        }
        if (multiplied + divided > 0) {
            const double least =
                std::max(open.lo, product(smallest, multiplied) / product(largest, divided));
            const double most =
                std::min(open.hi, product(largest, multiplied) / product(smallest, divided));
            x = multiply(x, Range{least, most, least});
        }
        // With whole steps a term that divides is still a whole number, so at least 1.
        if (m_limits.wholeSteps && term.divides && x.lo > 0) x.lo = std::max(x.lo, 1.0);
        if (term.sign < 0) x = {-x.hi, -x.lo, x.minAbs};
        magnitudeLo += std::fabs(x.lo);
        magnitudeHi += std::fabs(x.hi);
        only = x;
        Range& into = term.divides ? parts : whole;
        into.lo += x.lo;
        into.hi += x.hi;
        if (term.divides) {
            anyParts = true;
            partsPositive = partsPositive && x.lo > 0;
            partsNegative = partsNegative && x.hi < 0;
        }
    }
    whole.lo +=
        std::max(sum(smallest, added), lone[0].lo) - std::min(sum(largest, taken), lone[1].hi);
    whole.hi +=
        std::min(sum(largest, added), lone[0].hi) - std::max(sum(smallest, taken), lone[1].lo);
    // Rounding in these bounds must never rule out a value that can occur.
    const double slackLo = 1e-9 + 1e-12 * (magnitudeLo + std::fabs(whole.lo));
    const double slackHi = 1e-9 + 1e-12 * (magnitudeHi + std::fabs(whole.hi));
    if (anyParts) {
        if (partsPositive) parts.lo = std::max(parts.lo, 1.0);
        if (partsNegative) parts.hi = std::min(parts.hi, -1.0);
        if (std::floor(parts.hi + slackHi) < std::ceil(parts.lo - slackLo)) return false;
    }
    Range total{whole.lo + parts.lo, whole.hi + parts.hi, 0};
    if (m_terms.size() == 1) total.minAbs = only.minAbs;
    if (m_onlyAddsAndMultiplies) {
        // Multiplying two parts gives at least their sum less one, and less nothing unless
        // one part is the operand 1: the value is at least the sum of the operands less 1.
        double operands = sum(smallest, open);
        for (int i = 0; i < m_n; ++i) {
            if (m_assigned[i]) operands += m_numbers[i];
            if (i == spanPos) operands += span.lo;
        }
        total.lo = std::max(total.lo, operands - 1);
    }
    const double least = std::max(
        {0.0, std::ceil(total.lo - slackLo), std::ceil(total.minAbs * (1 - 1e-12) - 1e-9)});
    const double most =
        std::min(static_cast<double>(m_limits.answerLimit) - 1, std::floor(total.hi + slackHi));
    return least <= most;
}

ShapeSolver::End ShapeSolver::Run(std::uint64_t work, std::int32_t scale, bool guided,
                                  const Visit& visit) {
    m_guided = guided;
    m_work = work;
    m_visit = &visit;
    m_end = End::Exhausted;
    m_scale = std::clamp(scale, 1, m_limits.largest);
    std::fill(m_assigned, m_assigned + 9, false);
    for (std::size_t t = 0; t < m_terms.size(); ++t) {
        const Term& term = m_terms[t];
        int positions = 0;
        for (int f = term.firstFactor; f < term.endFactor; ++f) {
            positions += m_factors[static_cast<std::size_t>(f)].second < 0 ? 1 : 2;
        }
        m_openInTerm[t] = positions;
    }
    if (canEnd(-1, {})) descend(0);
    return m_end;
}

bool ShapeSolver::descend(int depth) {
    if (depth == m_n) return leaf();
    if (m_order[depth] == m_pivot) return solvePivot();
    Tried& tried = m_tried[depth];
    tried = {};
    const int position = m_order[depth];
    const Factor& factor = m_factors[static_cast<std::size_t>(m_factorOf[position])];
    Wide step = 1;
    if (position == m_partner) {
        step = partnerStep();
        if (step > m_scale) return spend();
    }
    const int t = m_termOf[position];
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
    const Term& term = m_terms[static_cast<std::size_t>(m_termOf[position])];
    for (int f = term.firstFactor; f < m_factorOf[position]; ++f) {
        const Factor& factor = m_factors[static_cast<std::size_t>(f)];
        if (!m_assigned[factor.first] || (factor.second >= 0 && !m_assigned[factor.second])) {
            return false;
        }
    }
    return true;
}

// The term's value from the factors set so far.
Fraction ShapeSolver::partialTerm(int t) const {
    const Term& term = m_terms[static_cast<std::size_t>(t)];
    Fraction v{1, 1, true};
    for (int f = term.firstFactor; f < term.endFactor; ++f) {
        const Factor& factor = m_factors[static_cast<std::size_t>(f)];
        if (!m_assigned[factor.first] || (factor.second >= 0 && !m_assigned[factor.second])) {
            continue;
        }
        v = Combine(v, factor.joined, factorValue(factor));
    }
    return v;
}

// The multiples of `step` by divisors of n (which only has prime factors of the term's
// factors that multiply) up to the scale, but `step` itself only `withOne`; false when there
// were more than a few thousand to list.
bool ShapeSolver::cancellingDivisors(Wide n, int t, Wide step, bool withOne,
                                     std::vector<std::int32_t>& out) const {
    std::vector<std::uint32_t> primes;
    const Term& term = m_terms[static_cast<std::size_t>(t)];
    for (int f = term.firstFactor; f < term.endFactor; ++f) {
        const Factor& factor = m_factors[static_cast<std::size_t>(f)];
        if (factor.joined != '*' || !m_assigned[factor.first] ||
            (factor.second >= 0 && !m_assigned[factor.second])) {
            continue;
        }
        const Fraction v = factorValue(factor);
        auto x = static_cast<std::uint32_t>(v.num < 0 ? -v.num : v.num);
        for (std::uint32_t p = 2; p * p <= x; p += p == 2 ? 1 : 2) {
            if (x % p != 0) continue;
            primes.push_back(p);
            while (x % p == 0) x /= p;
        }
        if (x > 1) primes.push_back(x);
    }
    std::sort(primes.begin(), primes.end());
    primes.erase(std::unique(primes.begin(), primes.end()), primes.end());
    constexpr std::size_t kMost = 4096;
    const std::function<void(std::size_t, Wide, Wide)> from = [&](std::size_t i, Wide d,
                                                                  Wide rest) {
        if (out.size() > kMost) return;
        if (i == primes.size()) {
            if (d > 1 || withOne) out.push_back(static_cast<std::int32_t>(d));
            return;
        }
        from(i + 1, d, rest);
        for (Wide p = primes[i]; rest % p == 0 && d * p <= m_scale;) {
            d *= p;
            rest /= p;
            from(i + 1, d, rest);
        }
    };
    if (step <= m_scale) from(0, step, n);
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
    const int position = m_order[depth];
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
    if (!canEnd(m_order[depth], Range{from, to, from})) return true;
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
    const Term& term = m_terms[static_cast<std::size_t>(m_pivotTerm)];
    Wide divisors = 1;
    for (int f = term.firstFactor + 1; f < term.endFactor; ++f) {
        const Factor& factor = m_factors[static_cast<std::size_t>(f)];
        if (factor.joined != '/' || factor.first == m_partner) continue;
        const Fraction v = factorValue(factor);
        if (__builtin_mul_overflow(divisors, v.num < 0 ? -v.num : v.num, &divisors)) return 1;
    }
    return others.den / Gcd(others.den, divisors);
}

// The pivot is the first factor of its term: the value is the others' sum plus a multiple of
// it, so its whole answers in range are an arithmetic progression.
bool ShapeSolver::solvePivot() {
    if (!spend()) return false;
    const Term& term = m_terms[static_cast<std::size_t>(m_pivotTerm)];
    Fraction coefficient = termValue(term, m_factorOf[m_pivot]);
    if (term.sign < 0) coefficient.num = -coefficient.num;
    const Progression xs =
        WholeValuesOf(othersSum(), coefficient, m_limits.answerLimit - 1, 1, m_limits.largest);
    if (xs.count == 0) return true;
    const Stride order = randomStride(m_random, static_cast<std::uint64_t>(xs.count));
    for (std::uint64_t j = 0; j < static_cast<std::uint64_t>(xs.count); ++j) {
        if (!spend()) return false;
        const auto x =
            static_cast<std::int32_t>(xs.first + xs.step * static_cast<Wide>(order.at(j)));
        if (used(x) || !inOrder(m_pivot, x)) continue;
        assign(m_pivot, x);
        const bool go = leaf();
        unassign(m_pivot);
        if (!go) return false;
    }
    return true;
}

bool ShapeSolver::leaf() {
    // A worked-out pivot makes it whole and in range; checked again, exactly, all the same.
    const Fraction v =
        Combine(othersSum(), m_terms[static_cast<std::size_t>(m_pivotTerm)].sign > 0 ? '+' : '-',
                m_termExact[static_cast<std::size_t>(m_pivotTerm)]);
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

bool ShapeSolver::Accepts(const std::int32_t* numbers) const {
    const WorkedValue worked = WorkOut(BracketedText(m_shape, numbers));
    const Fraction& v = worked.value;
    return v.whole() && v.num >= 0 && v.num < m_limits.answerLimit &&
           (!m_limits.wholeSteps || worked.wholeSteps);
}

bool ShapeSolver::ForEachOrder(const std::int32_t* numbers, const Visit& visit) const {
    std::int32_t order[9];
    std::copy(numbers, numbers + m_n, order);
    // Each class in turn runs through the orders of its values, the later ones for each.
    const std::function<bool(std::size_t)> from = [&](std::size_t c) {
        if (c == m_classes.size()) return visit(order);
        const std::vector<int>& positions = m_classes[c];
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
    for (const std::vector<int>& positions : m_classes) {
        for (std::size_t k = positions.size(); k > 1; --k) {
            const auto j = m_random.Below(static_cast<std::uint32_t>(k));
            std::swap(numbers[positions[k - 1]], numbers[positions[j]]);
        }
    }
}

}  // namespace suantiji
