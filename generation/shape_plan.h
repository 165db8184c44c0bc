#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "generation/candidate.h"

namespace suantiji {

// What one shape's search looks for.
struct SolverLimits {
    std::int32_t largest = 1;      // operands run from 1 to this
    std::int32_t answerLimit = 1;  // answers from 0 to below this
    bool wholeSteps = false;       // every step, worked as a pupil works, whole and not below 0
};

// A factor of a term: a plain operand, or a sum or difference of two in brackets.
struct Factor {
    int first;
    int second;   // -1 for a plain operand
    char op;      // inside a pair: its "+" or "-"
    char joined;  // "*" or "/" before it in its term; "*" for a term's first factor

    bool plain() const { return second < 0; }
};

// Factors joined by "*" and "/", added to the value or taken away from it.
struct Term {
    int sign;
    int firstFactor;
    int endFactor;
    bool divides = false;  // some factor is joined by "/"
};

// What the search needs to know of a shape, worked out once: its terms and factors, the order
// in which its operands are set, the one worked out at the end (the pivot), and the operands
// that can be exchanged without changing the value.
struct ShapePlan {
    int operands = 0;
    std::vector<Factor> factors;
    std::vector<Term> terms;
    std::array<int, kMaxOperandCount> factorOf{};
    std::array<int, kMaxOperandCount> termOf{};
    bool onlyAddsAndMultiplies = false;

    std::array<int, kMaxOperandCount> order{};  // the pivot last
    int pivot = -1;
    int pivotTerm = 0;
    int partner = -1;  // the pivot term's last divisor, set just before the pivot

    // Each class in the order its values rise; an operand in no class has -1.
    std::vector<std::vector<int>> classes;
    std::array<int, kMaxOperandCount> classOf{};

    const Factor& factor(int f) const { return factors[static_cast<std::size_t>(f)]; }
    const Term& term(int t) const { return terms[static_cast<std::size_t>(t)]; }
    const Factor& factorAt(int position) const { return factor(factorOf[position]); }
    // A term that is one plain operand.
    bool lone(const Term& t) const {
        return t.endFactor == t.firstFactor + 1 && factor(t.firstFactor).plain();
    }
};

// Without whole steps the pivot is the first operand of the term with the most divisors, which
// can take up the denominators of the other terms (without division, a lone number, which
// needs nothing of the others), and the pivot's term is set last. With whole steps the
// operands are set from left to right, so that every step is checked as soon as it is set,
// and the pivot is the last plain factor that multiplies in the last term.
//
// Exchangeable without whole steps: the plain factors of a term that multiply, those that
// divide, the lone numbers added, those taken away, and the two of a sum in brackets. With
// whole steps only runs of these that no other step stands between: a run of divisions of a
// whole number is whole at every step when it is whole at the end, a run of lone numbers taken
// away stays above zero at every step when it does at the end, and runs of multiplications and
// additions only grow. The pivot is the last of its class, the smallest, with `pivotInClass`;
// otherwise it takes whatever value the others leave it, in no order, and a question is
// reached in as many ways as its class has members.
ShapePlan PlanShape(const CandidateShape& shape, bool wholeSteps, bool pivotInClass);

}  // namespace suantiji
