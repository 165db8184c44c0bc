#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "generation/exact_value.h"
#include "generation/question_search.h"

namespace suantiji {

// What one shape's search looks for.
struct SolverLimits {
    std::int32_t largest = 1;      // operands run from 1 to this
    std::int32_t answerLimit = 1;  // answers from 0 to below this
    bool wholeSteps = false;       // every step, worked as a pupil works, whole and not below 0
};

// The depth-first search over the operands of one shape.
//
// One operand, the first of a term, is not chosen but worked out: once every other operand is
// set, the value is a linear function of it, so the whole answers in range give an arithmetic
// progression of its values, found by solving a congruence. The operand set just before it is
// taken among the multiples that such a progression needs. The others are chosen from random
// orders of the values, and a choice is followed only while the value can still end whole and
// in range (bounds over what is left, with the signs and the whole parts of the terms).
//
// Operands that can be exchanged without changing the value (the factors of a term that
// multiply, those that divide, the lone numbers added, those taken away, the two of a sum in
// brackets; with whole steps, only those that change no step either) are set in one order
// only, falling in the order they are set. ForEachOrder and Shuffle give the other orders.
//
// With whole steps the operands are set from left to right instead, each step checked as it
// is set, the last worked out when the value is in proportion to it.
class ShapeSolver {
public:
    enum class End { Stopped, Exhausted, OutOfWork };
    // Bounds on a value, and a gap around zero that it cannot fall in.
    struct Range {
        double lo;
        double hi;
        double minAbs;
    };
    using Visit = std::function<bool(const std::int32_t*)>;

    ShapeSolver(const CandidateShape& shape, SolverLimits limits, SearchRandom& random,
                const std::function<bool()>* stop = nullptr);

    // Visits questions until `visit` returns false (Stopped), the search ends (Exhausted) or
    // `work` steps are spent. Every operand but the worked-out one is tried from 1 to `scale`
    // only: the search is complete when `scale` is the largest operand. A `guided` search
    // tries first the values that cancel what a term has so far, which finds a first
    // question sooner but costs more for each value.
    End Run(std::uint64_t work, std::int32_t scale, bool guided, const Visit& visit);
    std::uint64_t WorkLeft() const { return m_work; }

    // Whether these operands make a question the request keeps, judged exactly.
    bool Accepts(const std::int32_t* numbers) const;

    // Every order of the operands of a found question that gives the same value, the found one
    // first, until `visit` returns false; false then.
    bool ForEachOrder(const std::int32_t* numbers, const Visit& visit) const;
    // One of those orders at random.
    void Shuffle(std::int32_t* numbers);

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
        bool divides = false;  // some factor is joined by "/"
    };
    void compile();
    void chooseOrder();
    void chooseStepOrder();
    void findClasses();
    Fraction factorValue(const Factor& f) const;
    Fraction termValue(const Term& t, int skipFactor) const;
    Fraction othersSum() const;

    bool used(std::int32_t v) const;
    bool inOrder(int position, std::int32_t v) const;
    void assign(int position, std::int32_t v);
    void unassign(int position);
    bool pivotTermCanEnd() const;
    bool stepsHold(int position) const;

    Range factorRange(const Factor& f, int spanPos, Range span) const;
    template <typename IsOpen>
    void openBounds(const IsOpen& isOpen, double* low, double* high) const;
    bool canEnd(int spanPos, Range span) const;
    void unusedExtremes(int count, std::int32_t* smallest, std::int32_t* largest) const;

    bool descend(int depth);
    bool tryValue(int depth, std::int32_t v);
    bool valuesBetween(int depth, std::int32_t lo, std::int32_t hi, std::int32_t step);
    Wide partnerStep() const;
    bool leftSet(int position) const;
    Fraction partialTerm(int t) const;
    bool cancellingDivisors(Wide n, int t, Wide step, bool withOne,
                            std::vector<std::int32_t>& out) const;
    bool tryAll(int depth, std::vector<std::int32_t> values, bool largestFirst);
    bool solvePivot();
    bool leaf();
    bool spend();

    const CandidateShape& m_shape;
    int m_n;
    SolverLimits m_limits;
    SearchRandom& m_random;
    const std::function<bool()>* m_stop;

    std::vector<Factor> m_factors;
    std::vector<Term> m_terms;
    int m_factorOf[9]{};
    int m_termOf[9]{};
    bool m_onlyAddsAndMultiplies = false;

    int m_order[9]{};  // positions in the order they are set; the pivot last
    int m_pivot = 0;   // -1 when none is worked out
    int m_pivotTerm = 0;
    int m_partner = -1;  // the pivot term's last divisor, set just before the pivot
    std::vector<std::vector<int>> m_classes;
    int m_classOf[9]{};

    mutable Range m_free{};  // an operand not yet set, while bounds are taken
    std::int32_t m_scale = 1;
    std::int32_t m_numbers[9]{};
    bool m_assigned[9]{};
    int m_openInTerm[9]{};
    Fraction m_termExact[9];
    // The values a depth has tried before its full range.
    struct Tried {
        bool active = false;
        std::int32_t multiplesOf = 0;
        std::vector<std::int32_t> values;  // sorted
    };
    Tried m_tried[9];
    bool m_guided = false;
    std::uint64_t m_work = 0;
    std::uint64_t m_spent = 0;
    const Visit* m_visit = nullptr;
    End m_end = End::Exhausted;
};

}  // namespace suantiji
