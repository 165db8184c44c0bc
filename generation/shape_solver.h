#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "generation/exact_value.h"
#include "generation/question_search.h"
#include "generation/shape_plan.h"
#include "generation/value_bounds.h"

namespace suantiji {

// The depth-first search over the operands of one shape, in the order its plan sets them
// (shape_plan.h).
//
// The pivot is not chosen but worked out: once every other operand is set, the value is a
// linear function of it, so the whole answers in range give an arithmetic progression of its
// values, found by solving a congruence. The operand set just before it is taken among the
// multiples that such a progression needs. The others are chosen from random orders of the
// values, and a choice is followed only while the value can still end whole and in range
// (value_bounds.h). With whole steps every step is checked as soon as its operands are set,
// and a divisor is taken among the divisors of what its term has so far.
//
// Exchangeable operands are set in the order of their class only; ForEachOrder and Shuffle
// give the other orders.
class ShapeSolver {
public:
    enum class End { Stopped, Exhausted, OutOfWork };
    using Visit = std::function<bool(const std::int32_t*)>;

    // A `guided` search tries first the values that cancel what a term has so far, and leaves
    // the pivot out of the order of its class: it finds a first question sooner, but costs
    // more for each value and goes through the same values more than once.
    ShapeSolver(const CandidateShape& shape, SolverLimits limits, bool guided, SearchRandom& random,
                const std::function<bool()>* stop = nullptr);

    // Visits questions until `visit` returns false (Stopped), the search ends (Exhausted) or
    // `work` steps are spent. Every operand but the pivot is tried from 1 to `scale` only: the
    // search is complete when `scale` is the largest operand.
    End Run(std::uint64_t work, std::int32_t scale, const Visit& visit);
    std::uint64_t WorkLeft() const { return m_work; }

    // Every order of the operands of a found question that gives the same value, the found one
    // among them, until `visit` returns false; false then.
    bool ForEachOrder(const std::int32_t* numbers, const Visit& visit) const;
    // One of those orders at random.
    void Shuffle(std::int32_t* numbers);

private:
    // The values a depth has tried before its full range.
    struct Tried {
        bool active = false;
        std::int32_t multiplesOf = 0;
        std::vector<std::int32_t> values;  // sorted
    };

    bool factorSet(const Factor& f) const;
    Fraction factorValue(const Factor& f) const;
    Fraction termValue(const Term& t, int skipFactor) const;
    Fraction partialTerm(int t) const;
    Fraction othersSum() const;
    bool leftSet(int position) const;

    bool used(std::int32_t v) const;
    bool inOrder(int position, std::int32_t v) const;
    void assign(int position, std::int32_t v);
    void unassign(int position);
    bool canEnd(int spanPos, Range span) const;
    bool pivotTermCanEnd() const;
    bool stepsHold(int position) const;

    bool descend(int depth);
    bool tryValue(int depth, std::int32_t v);
    bool tryAll(int depth, std::vector<std::int32_t> values, bool largestFirst);
    bool valuesBetween(int depth, std::int32_t lo, std::int32_t hi, std::int32_t step);
    Wide partnerStep() const;
    bool cancellingDivisors(Wide n, int t, Wide step, bool withOne,
                            std::vector<std::int32_t>& out) const;
    bool solvePivot();
    bool leaf();
    bool spend();

    const CandidateShape& m_shape;
    SolverLimits m_limits;
    bool m_guided;
    const ShapePlan m_plan;
    SearchRandom& m_random;
    const std::function<bool()>* m_stop;

    std::int32_t m_scale = 1;
    std::int32_t m_numbers[kMaxOperandCount]{};
    bool m_assigned[kMaxOperandCount]{};
    int m_openInTerm[kMaxOperandCount]{};
    Fraction m_termExact[kMaxOperandCount];
    Tried m_tried[kMaxOperandCount];
    std::uint64_t m_work = 0;
    std::uint64_t m_spent = 0;
    const Visit* m_visit = nullptr;
    End m_end = End::Exhausted;
};

}  // namespace suantiji
