#pragma once

#include <cstdint>
#include <string_view>

namespace suantiji {

// Exact values of questions, as fractions of 128-bit integers. The evaluator works in doubles,
// and a long chain of divisions can round to a whole number that it is not; a question's key
// is right only when its exact value is that number.
__extension__ typedef __int128 Wide;

struct Fraction {
    Wide num = 0;
    Wide den = 1;       // always positive, and prime to num
    bool known = true;  // false once an operation would have overflowed

    bool whole() const { return known && den == 1; }
};

// a op b for op one of + - * /; unknown when either is, when dividing by 0 or on overflow.
Fraction Combine(const Fraction& a, char op, const Fraction& b);

Wide Gcd(Wide a, Wide b);

// The whole x from xLo to xHi for which a + c * x is a whole number from 0 to `highest`: an
// arithmetic progression, empty (count 0) when there is none or the numbers are too large to
// work it out. c must not be 0.
struct Progression {
    Wide first = 0;
    Wide step = 1;
    Wide count = 0;
};
Progression WholeValuesOf(const Fraction& a, const Fraction& c, Wide highest, Wide xLo, Wide xHi);

// The value of a question in the generator's form (unsigned whole numbers, + - * /, pairs of
// brackets that are not nested), worked as a pupil works it: what stands in brackets first,
// then * and / from left to right, then + and - from left to right. Unknown for any other text.
struct WorkedValue {
    Fraction value;
    // Every step's result, and the answer, a whole number not below zero.
    bool wholeSteps = false;
};
WorkedValue WorkOut(std::string_view expression);

// Whether `answer`, the evaluator's text for `expression` that has passed the text rule for
// `answerLimit`, is exactly its value, with whole steps where `wholeSteps` asks for them.
bool IsExactAnswer(std::string_view expression, std::string_view answer, std::int32_t answerLimit,
                   bool wholeSteps);

}  // namespace suantiji
