#pragma once

#include <cstdint>

#include "generation/shape_plan.h"

namespace suantiji {

// Bounds on a value, and a gap around zero that it cannot fall in.
struct Range {
    double lo;
    double hi;
    double minAbs;
};

// The operands of a shape set so far.
struct SetOperands {
    const std::int32_t* numbers;
    const bool* set;
};

// The `count` smallest and largest values from 1 to `largest` that no set operand has taken.
void UnusedExtremes(const ShapePlan& plan, SetOperands operands, std::int32_t largest, int count,
                    std::int32_t* smallest, std::int32_t* biggest);

// Whether the value can still be a whole number in range, with the operands set so far, the
// operand at `spanPos` (if any) within `span`, and every other one a value not yet used. The
// bounds know signs, a gap around zero (a/(b-c) is never 0), the rising order of each class,
// that open operands are distinct, and that terms with division must add up to a whole
// number (at least 1 when they are all above zero).
bool CanEnd(const ShapePlan& plan, const SolverLimits& limits, SetOperands operands, int spanPos,
            Range span);

}  // namespace suantiji
