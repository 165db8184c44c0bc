#pragma once
// An independent reading of generated questions: parsing, the bracket places, exact values.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "generation/generation_request.h"

namespace suantiji::reading {

struct Parsed {
    std::vector<std::int64_t> numbers;
    std::vector<char> ops;
    std::vector<int> bracketed;  // index of the first number inside each pair
    bool ok = true;
};

inline Parsed parse(const std::string& q) {
    Parsed p;
    std::size_t i = 0;
    bool open = false;
    while (i < q.size()) {
        if (q[i] == '(') {
            if (open) p.ok = false;
            open = true;
            p.bracketed.push_back(static_cast<int>(p.numbers.size()));
            ++i;
        }
        if (i >= q.size() || q[i] < '1' || q[i] > '9') {  // no sign, no leading zero
            p.ok = false;
            return p;
        }
        std::int64_t n = 0;
        while (i < q.size() && q[i] >= '0' && q[i] <= '9') n = n * 10 + (q[i++] - '0');
        p.numbers.push_back(n);
        if (i < q.size() && q[i] == ')') {
            if (!open || static_cast<int>(p.numbers.size()) - p.bracketed.back() != 2) p.ok = false;
            open = false;
            ++i;
        }
        if (i < q.size()) {
            if (std::string_view("+-*/").find(q[i]) == std::string_view::npos) {
                p.ok = false;
                return p;
            }
            p.ops.push_back(q[i++]);
        }
    }
    if (open || p.ops.size() + 1 != p.numbers.size()) p.ok = false;
    return p;
}

inline bool isProduct(char c) { return c == '*' || c == '/'; }
inline bool isSum(char c) { return c == '+' || c == '-'; }

// First place at or after `from` where a product is directly followed by a sum.
inline int firstBracketPlace(const std::vector<char>& ops, std::size_t from) {
    for (std::size_t i = from; i + 1 < ops.size(); ++i) {
        if (isProduct(ops[i]) && isSum(ops[i + 1])) return static_cast<int>(i);
    }
    return -1;
}

// Exact enough for every product and quotient of these small operands.
__extension__ typedef __int128 Int128;

struct Rational {
    Int128 num = 0;
    Int128 den = 1;
};

inline Int128 gcd(Int128 a, Int128 b) {
    if (a < 0) a = -a;
    if (b < 0) b = -b;
    while (b != 0) {
        const Int128 t = a % b;
        a = b;
        b = t;
    }
    return a == 0 ? 1 : a;
}

inline Rational apply(Rational a, char op, Rational b) {
    Int128 n = 0;
    Int128 d = 1;
    switch (op) {
        case '+':
            n = a.num * b.den + b.num * a.den;
            d = a.den * b.den;
            break;
        case '-':
            n = a.num * b.den - b.num * a.den;
            d = a.den * b.den;
            break;
        case '*':
            n = a.num * b.num;
            d = a.den * b.den;
            break;
        default:
            n = a.num * b.den;
            d = a.den * b.num;
            break;
    }
    if (d < 0) {
        n = -n;
        d = -d;
    }
    const Int128 g = gcd(n, d);
    return {n / g, d / g};
}

// The value as a pupil works it out: each bracketed pair, then * and / from left to right, then
// + and - from left to right. `wholeSteps`, when given, tells whether every result on the way
// was a whole number not below zero.
inline Rational exactValue(const Parsed& p, bool* wholeSteps = nullptr) {
    bool whole = true;
    auto step = [&whole](const Rational& r) {
        whole = whole && r.den == 1 && r.num >= 0;
        return r;
    };
    std::vector<Rational> operands;
    std::vector<char> ops;
    for (std::size_t i = 0; i < p.numbers.size(); ++i) {
        const bool opens = std::find(p.bracketed.begin(), p.bracketed.end(), static_cast<int>(i)) !=
                           p.bracketed.end();
        Rational v{p.numbers[i], 1};
        if (opens) {
            v = step(apply(v, p.ops[i], Rational{p.numbers[i + 1], 1}));
            ++i;
        }
        operands.push_back(v);
        if (i < p.ops.size()) ops.push_back(p.ops[i]);
    }
    std::vector<Rational> terms{operands[0]};
    std::vector<char> sums;
    for (std::size_t k = 0; k < ops.size(); ++k) {
        if (isProduct(ops[k])) {
            terms.back() = step(apply(terms.back(), ops[k], operands[k + 1]));
        } else {
            sums.push_back(ops[k]);
            terms.push_back(operands[k + 1]);
        }
    }
    Rational value = step(terms[0]);
    for (std::size_t k = 0; k < sums.size(); ++k) {
        value = step(apply(value, sums[k], terms[k + 1]));
    }
    if (wholeSteps != nullptr) *wholeSteps = whole;
    return value;
}

inline void expectObeys(const Question& question, const GenerationRequest& r) {
    SCOPED_TRACE(question.expression + "=" + question.answer);
    const Parsed p = parse(question.expression);
    ASSERT_TRUE(p.ok);
    ASSERT_EQ(p.numbers.size(), static_cast<std::size_t>(r.operandCount));
    const std::int64_t largest = r.numberLimit > 0 ? r.numberLimit : 32768;
    std::set<std::int64_t> distinct(p.numbers.begin(), p.numbers.end());
    EXPECT_EQ(distinct.size(), p.numbers.size());
    EXPECT_GE(*distinct.begin(), 1);
    EXPECT_LE(*distinct.rbegin(), largest);
    for (char op : p.ops) {
        EXPECT_NE(std::find(r.operators.begin(), r.operators.end(), std::string(1, op)),
                  r.operators.end());
    }

    // Brackets exactly where the pattern's first match puts them.
    const int first = firstBracketPlace(p.ops, 0);
    std::vector<int> expected;
    if ((r.mixedBrackets || r.bracketsOnly) && first >= 0) expected.push_back(first + 1);
    if (r.bracketsOnly) {
        ASSERT_GE(first, 0);
        const int second = firstBracketPlace(p.ops, static_cast<std::size_t>(first) + 3);
        // With both options a second pair comes from a rerun of the pattern, unless the
        // candidate was drawn afresh by the "only" step, which brackets once.
        if (r.mixedBrackets && second >= 0 && p.bracketed.size() == 2) {
            expected.push_back(second + 1);
        }
    }
    EXPECT_EQ(p.bracketed, expected);

    bool wholeSteps = false;
    const Rational value = exactValue(p, &wholeSteps);
    ASSERT_EQ(value.den, 1);
    EXPECT_TRUE(wholeSteps || !r.wholeSteps);
    const auto whole = static_cast<long long>(value.num);
    EXPECT_EQ(question.answer, std::to_string(whole));
    EXPECT_GE(whole, 0);
    EXPECT_LT(whole, r.answerLimit);
}

// The whole values from 0 up of every candidate of a small request, found by trying every
// operator list and every list of distinct operands and judged by the test's own reading; and
// of those whose steps are whole too.
struct WholeValues {
    std::vector<std::int64_t> any;
    std::vector<std::int64_t> wholeSteps;

    std::size_t below(int limit, bool steps) const {
        const std::vector<std::int64_t>& v = steps ? wholeSteps : any;
        return static_cast<std::size_t>(
            std::count_if(v.begin(), v.end(), [limit](std::int64_t x) { return x < limit; }));
    }
};

inline WholeValues wholeValues(const GenerationRequest& r) {
    const int n = r.operandCount;
    WholeValues found;
    std::vector<char> ops(static_cast<std::size_t>(n - 1));
    std::vector<std::int64_t> numbers;
    std::vector<bool> used(static_cast<std::size_t>(r.numberLimit) + 1);
    const std::function<void()> operands = [&] {
        if (numbers.size() == static_cast<std::size_t>(n)) {
            reading::Parsed p;
            p.numbers = numbers;
            p.ops = ops;
            const int first = reading::firstBracketPlace(ops, 0);
            if ((r.mixedBrackets || r.bracketsOnly) && first >= 0) p.bracketed.push_back(first + 1);
            if (r.bracketsOnly && first < 0) return;
            if (r.mixedBrackets && r.bracketsOnly && first >= 0) {
                const int second =
                    reading::firstBracketPlace(ops, static_cast<std::size_t>(first) + 3);
                if (second >= 0) p.bracketed.push_back(second + 1);
            }
            bool steps = false;
            const reading::Rational v = reading::exactValue(p, &steps);
            if (v.den != 1 || v.num < 0) return;
            found.any.push_back(static_cast<std::int64_t>(v.num));
            if (steps) found.wholeSteps.push_back(static_cast<std::int64_t>(v.num));
            return;
        }
        for (std::int64_t v = 1; v <= r.numberLimit; ++v) {
            if (used[static_cast<std::size_t>(v)]) continue;
            used[static_cast<std::size_t>(v)] = true;
            numbers.push_back(v);
            operands();
            numbers.pop_back();
            used[static_cast<std::size_t>(v)] = false;
        }
    };
    const std::function<void(std::size_t)> operators = [&](std::size_t slot) {
        if (slot == ops.size()) return operands();
        for (const std::string& op : r.operators) {
            ops[slot] = op[0];
            operators(slot + 1);
        }
    };
    operators(0);
    return found;
}

inline GenerationRequest make(int operands, std::vector<std::string> ops, int numberLimit,
                              int answerLimit, int count, bool mixed = false, bool only = false) {
    GenerationRequest r;
    r.operandCount = operands;
    r.operators = std::move(ops);
    r.numberLimit = numberLimit;
    r.answerLimit = answerLimit;
    r.questionCount = count;
    r.mixedBrackets = mixed;
    r.bracketsOnly = only;
    return r;
}

}  // namespace suantiji::reading
