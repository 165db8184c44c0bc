#include "generation/value_bounds.h"

#include <algorithm>
#include <cmath>

namespace suantiji {

namespace {

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

// What one bound takes as given, and what it works out once for every term.
struct Given {
    const ShapePlan& plan;
    const SolverLimits& limits;
    SetOperands operands;
    int spanPos;
    Range span;
    int open = 0;  // operands neither set nor spanned
    std::int32_t smallest[kMaxOperandCount]{};
    std::int32_t largest[kMaxOperandCount]{};
    double low[kMaxOperandCount]{};  // each open operand's own bounds
    double high[kMaxOperandCount]{};
    Range free{};

    bool isOpen(int i) const { return !operands.set[i] && i != spanPos; }
    bool set(int i) const { return operands.set[i]; }
    std::int32_t value(int i) const { return operands.numbers[i]; }
};

// Each open operand's bounds from the rising order of its class: the k-th open one after a
// set value v is at least v + k, the k-th before one is at most v - k.
void openBounds(Given& g) {
    for (int i = 0; i < g.plan.operands; ++i) {
        g.low[i] = 1;
        g.high[i] = g.limits.largest;
    }
    for (const std::vector<int>& positions : g.plan.classes) {
        double below = 0;
        for (int p : positions) {
            below = g.isOpen(p) ? below + 1 : g.set(p) ? g.value(p) : below;
            g.low[p] = std::max(g.low[p], below);
        }
        double above = g.limits.largest + 1.0;
        for (auto p = positions.rbegin(); p != positions.rend(); ++p) {
            above = g.isOpen(*p) ? above - 1 : g.set(*p) ? g.value(*p) : above;
            g.high[*p] = std::min(g.high[*p], above);
        }
    }
}

Range factorRange(const Given& g, const Factor& f) {
    auto operand = [&g](int i) {
        if (g.set(i)) return point(g.value(i));
        if (i == g.spanPos) return g.span;
        return g.free;
    };
    const Range a = operand(f.first);
    if (f.plain()) return a;
    const Range b = operand(f.second);
    if (f.op == '+') return {a.lo + b.lo, a.hi + b.hi, a.lo + b.lo};
    const double lo = a.lo - b.hi;
    const double hi = a.hi - b.lo;
    return {lo, hi, lo > 0 ? lo : hi < 0 ? -hi : 1};
}

// A term's value, signed. Open plain factors are distinct: their product is at least that of
// the smallest values left, and at least that of their own bounds.
Range termRange(const Given& g, const Term& term) {
    Range x = point(1);
    int multiplied = 0;
    int divided = 0;
    Range open{1, 1, 0};
    for (int f = term.firstFactor; f < term.endFactor; ++f) {
        const Factor& factor = g.plan.factor(f);
        if (factor.plain() && g.isOpen(factor.first)) {
            const int i = factor.first;
            if (factor.joined == '*') {
                ++multiplied;
                open = {open.lo * g.low[i], open.hi * g.high[i], 0};
            } else {
                ++divided;
                open = {open.lo / g.high[i], open.hi / g.low[i], 0};
            }
            continue;
        }
        const Range v = factorRange(g, factor);
        x = factor.joined == '*' ? multiply(x, v) : divide(x, v);
    }
    if (multiplied + divided > 0) {
        const double least =
            std::max(open.lo, product(g.smallest, multiplied) / product(g.largest, divided));
        const double most =
            std::min(open.hi, product(g.largest, multiplied) / product(g.smallest, divided));
        x = multiply(x, Range{least, most, least});
    }
    // With whole steps a term that divides is still a whole number, so at least 1.
    if (g.limits.wholeSteps && term.divides && x.lo > 0) x.lo = std::max(x.lo, 1.0);
    if (term.sign < 0) x = {-x.hi, -x.lo, x.minAbs};
    return x;
}

// The smallest the value can be when only + and * occur: multiplying two parts gives at least
// their sum less one, and less nothing unless one part is the operand 1, so the value is at
// least the sum of the operands less 1.
double leastOfAddsAndMultiplies(const Given& g) {
    double operands = sum(g.smallest, g.open);
    for (int i = 0; i < g.plan.operands; ++i) {
        if (g.set(i)) operands += g.value(i);
        if (i == g.spanPos) operands += g.span.lo;
    }
    return operands - 1;
}

// Whether the range, less its gap around zero, holds a whole number from 0 to below the limit.
bool holdsAnswer(Range total, double slackLo, double slackHi, std::int32_t answerLimit) {
    const double least = std::max(
        {0.0, std::ceil(total.lo - slackLo), std::ceil(total.minAbs * (1 - 1e-12) - 1e-9)});
    const double most =
        std::min(static_cast<double>(answerLimit) - 1, std::floor(total.hi + slackHi));
    return least <= most;
}

}  // namespace

void UnusedExtremes(const ShapePlan& plan, SetOperands operands, std::int32_t largest, int count,
                    std::int32_t* smallest, std::int32_t* biggest) {
    std::int32_t taken[kMaxOperandCount];
    int k = 0;
    for (int i = 0; i < plan.operands; ++i) {
        if (!operands.set[i]) continue;
        // In rising order, by insertion: there are nine at most.
        int j = k++;
        for (; j > 0 && taken[j - 1] > operands.numbers[i]; --j) taken[j] = taken[j - 1];
        taken[j] = operands.numbers[i];
    }
    std::int32_t v = 1;
    for (int c = 0, j = 0; c < count; ++c, ++v) {
        for (; j < k && taken[j] <= v; ++j) {
            if (taken[j] == v) ++v;
        }
        smallest[c] = v;
    }
    v = largest;
    for (int c = 0, j = k - 1; c < count; ++c, --v) {
        for (; j >= 0 && taken[j] >= v; --j) {
            if (taken[j] == v) --v;
        }
        biggest[c] = v;
    }
}

bool CanEnd(const ShapePlan& plan, const SolverLimits& limits, SetOperands operands, int spanPos,
            Range span) {
    Given g{plan, limits, operands, spanPos, span};
    for (int i = 0; i < plan.operands; ++i) g.open += g.isOpen(i) ? 1 : 0;
    UnusedExtremes(plan, operands, limits.largest, std::max(g.open, 1), g.smallest, g.largest);
    g.free = {static_cast<double>(g.smallest[0]), static_cast<double>(g.largest[0]),
              static_cast<double>(g.smallest[0])};
    openBounds(g);

    // Terms without division are whole; those with division must add up to a whole number.
    Range whole{0, 0, 0};
    Range parts{0, 0, 0};
    bool anyParts = false;
    bool partsPositive = true;
    bool partsNegative = true;
    int lone[2] = {0, 0};                    // open lone operands added, taken away
    Range loneOwn[2]{{0, 0, 0}, {0, 0, 0}};  // their sums by their own bounds
    // What rounding can add to each bound grows with the terms summed into it.
    double magnitudeLo = 0;
    double magnitudeHi = 0;
    Range only{0, 0, 0};
    for (const Term& term : plan.terms) {
        const int first = plan.factor(term.firstFactor).first;
        if (plan.lone(term) && g.isOpen(first)) {
            const int k = term.sign > 0 ? 0 : 1;
            ++lone[k];
            loneOwn[k] = {loneOwn[k].lo + g.low[first], loneOwn[k].hi + g.high[first], 0};
            continue;
        }
        const Range x = termRange(g, term);
        magnitudeLo += std::fabs(x.lo);
        magnitudeHi += std::fabs(x.hi);
        only = x;
        Range& into = term.divides ? parts : whole;
        into = {into.lo + x.lo, into.hi + x.hi, 0};
        if (term.divides) {
            anyParts = true;
            partsPositive = partsPositive && x.lo > 0;
            partsNegative = partsNegative && x.hi < 0;
        }
    }
    // Open lone operands are distinct values: together at least the sum of the smallest left.
    whole.lo += std::max(sum(g.smallest, lone[0]), loneOwn[0].lo) -
                std::min(sum(g.largest, lone[1]), loneOwn[1].hi);
    whole.hi += std::min(sum(g.largest, lone[0]), loneOwn[0].hi) -
                std::max(sum(g.smallest, lone[1]), loneOwn[1].lo);
    // Rounding in these bounds must never rule out a value that can occur.
    const double slackLo = 1e-9 + 1e-12 * (magnitudeLo + std::fabs(whole.lo));
    const double slackHi = 1e-9 + 1e-12 * (magnitudeHi + std::fabs(whole.hi));
    if (anyParts) {
        if (partsPositive) parts.lo = std::max(parts.lo, 1.0);
        if (partsNegative) parts.hi = std::min(parts.hi, -1.0);
        if (std::floor(parts.hi + slackHi) < std::ceil(parts.lo - slackLo)) return false;
    }
    Range total{whole.lo + parts.lo, whole.hi + parts.hi, 0};
    if (plan.terms.size() == 1) total.minAbs = only.minAbs;
    if (plan.onlyAddsAndMultiplies) total.lo = std::max(total.lo, leastOfAddsAndMultiplies(g));
    return holdsAnswer(total, slackLo, slackHi, limits.answerLimit);
}

}  // namespace suantiji
