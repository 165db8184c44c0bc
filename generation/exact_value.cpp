#include "generation/exact_value.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace suantiji {

namespace {

constexpr Fraction kUnknown{0, 1, false};

Fraction reduced(Wide num, Wide den) {
    if (den < 0) {
        num = -num;
        den = -den;
    }
    const Wide g = Gcd(num, den);
    if (g > 1) {
        num /= g;
        den /= g;
    }
    return {num, den, true};
}

// Reads the text left to right, one number, pair or operator at a time.
class Worker {
public:
    explicit Worker(std::string_view text) : m_p(text.data()), m_end(text.data() + text.size()) {}

    WorkedValue run() {
        WorkedValue result;
        Fraction sum = term();
        result.wholeSteps = m_wholeSteps && wholeNotNegative(sum);
        while (m_ok && m_p != m_end && (*m_p == '+' || *m_p == '-')) {
            const char op = *m_p++;
            sum = Combine(sum, op, term());
            step(sum);
        }
        if (!m_ok || m_p != m_end) return {kUnknown, false};
        result.value = sum;
        result.wholeSteps = result.wholeSteps && m_wholeSteps;
        return result;
    }

private:
    static bool wholeNotNegative(const Fraction& f) { return f.whole() && f.num >= 0; }

    void step(const Fraction& result) { m_wholeSteps = m_wholeSteps && wholeNotNegative(result); }

    Fraction term() {
        Fraction value = factor();
        while (m_ok && m_p != m_end && (*m_p == '*' || *m_p == '/')) {
            const char op = *m_p++;
            value = Combine(value, op, factor());
            step(value);
        }
        return value;
    }

    Fraction factor() {
        if (m_p == m_end || *m_p != '(') return number();
        ++m_p;
        const Fraction a = number();
        if (m_p == m_end || (*m_p != '+' && *m_p != '-')) return fail();
        const char op = *m_p++;
        const Fraction value = Combine(a, op, number());
        if (m_p == m_end || *m_p != ')') return fail();
        ++m_p;
        step(value);
        return value;
    }

    Fraction number() {
        if (m_p == m_end || *m_p < '0' || *m_p > '9') return fail();
        Wide n = 0;
        while (m_p != m_end && *m_p >= '0' && *m_p <= '9') {
            if (__builtin_mul_overflow(n, 10, &n) || __builtin_add_overflow(n, *m_p - '0', &n)) {
                return fail();
            }
            ++m_p;
        }
        return {n, 1, true};
    }

    Fraction fail() {
        m_ok = false;
        return kUnknown;
    }

    const char* m_p;
    const char* m_end;
    bool m_ok = true;
    bool m_wholeSteps = true;
};

Wide mod(Wide a, Wide m) {
    const Wide r = a % m;
    return r < 0 ? r + m : r;
}

// a * b mod m for 0 <= a, b < m.
Wide mulMod(Wide a, Wide b, Wide m) {
    __extension__ typedef unsigned __int128 U;
    if (m <= INT64_MAX) return static_cast<Wide>(static_cast<U>(a) * static_cast<U>(b) % m);
    U result = 0;
    U x = static_cast<U>(a);
    for (U y = static_cast<U>(b); y != 0; y >>= 1) {
        if ((y & 1) != 0) result = (result + x) % static_cast<U>(m);
        x = (x + x) % static_cast<U>(m);
    }
    return static_cast<Wide>(result);
}

// The inverse of a modulo m, for a prime to m.
Wide inverse(Wide a, Wide m) {
    Wide r0 = m;
    Wide r1 = a;
    Wide t0 = 0;
    Wide t1 = 1;
    while (r1 != 0) {
        const Wide q = r0 / r1;
        const Wide r = r0 - q * r1;
        r0 = r1;
        r1 = r;
        const Wide t = t0 - q * t1;
        t0 = t1;
        t1 = t;
    }
    return mod(t0, m);
}

Wide floorOf(const Fraction& f) {
    const Wide q = f.num / f.den;
    return q * f.den > f.num ? q - 1 : q;
}

Wide ceilOf(const Fraction& f) {
    const Wide q = f.num / f.den;
    return q * f.den < f.num ? q + 1 : q;
}

// The x modulo m for which a + c * x is whole; false when there is none.
bool wholeResidue(const Fraction& a, const Fraction& c, Wide& x0, Wide& m) {
    const Wide g = Gcd(a.den, c.den);
    Wide d = 0;
    if (__builtin_mul_overflow(a.den / g, c.den, &d)) return false;
    // c.num * (d / c.den) * x = -a.num * (d / a.den)  (mod d)
    const Wide u = mulMod(mod(c.num, d), mod(d / c.den, d), d);
    const Wide w = mulMod(mod(-a.num, d), mod(d / a.den, d), d);
    const Wide h = Gcd(u, d);
    if (w % h != 0) return false;
    m = d / h;
    x0 = m == 1 ? 0 : mulMod(mod(w / h, m), inverse(mod(u / h, m), m), m);
    return true;
}

}  // namespace

Progression WholeValuesOf(const Fraction& a, const Fraction& c, Wide highest, Wide xLo, Wide xHi) {
    Wide x0 = 0;
    Wide m = 1;
    if (!a.known || !c.known || c.num == 0 || !wholeResidue(a, c, x0, m)) return {};
    // 0 <= a + c x <= highest
    Fraction from = Combine(Combine(Fraction{}, '-', a), '/', c);
    Fraction to = Combine(Combine(Fraction{highest, 1, true}, '-', a), '/', c);
    if (!from.known || !to.known) return {};
    if (c.num < 0) std::swap(from, to);
    const Wide lo = std::max(xLo, ceilOf(from));
    const Wide hi = std::min(xHi, floorOf(to));
    if (lo > hi) return {};
    const Wide first = lo + mod(x0 - lo, m);
    if (first > hi) return {};
    return {first, m, (hi - first) / m + 1};
}

Wide Gcd(Wide a, Wide b) {
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

Fraction Combine(const Fraction& a, char op, const Fraction& b) {
    if (!a.known || !b.known) return kUnknown;
    // Whole numbers, as most are, need no common denominator and no reduction.
    if (a.den == 1 && b.den == 1 && op != '/') {
        Wide x = 0;
        const bool overflow = op == '+'   ? __builtin_add_overflow(a.num, b.num, &x)
                              : op == '-' ? __builtin_sub_overflow(a.num, b.num, &x)
                              : op == '*' ? __builtin_mul_overflow(a.num, b.num, &x)
                                          : true;
        return overflow ? kUnknown : Fraction{x, 1, true};
    }
    Wide x = 0;
    Wide y = 0;
    Wide den = 0;
    bool overflow = false;
    switch (op) {
        case '+':
        case '-': {
            // Over the least common denominator, which keeps sums of quotients in range.
            const Wide g = Gcd(a.den, b.den);
            const Wide bBy = a.den / g;
            overflow =
                __builtin_mul_overflow(a.num, b.den / g, &x) ||
                __builtin_mul_overflow(b.num, bBy, &y) ||
                __builtin_mul_overflow(bBy, b.den, &den) ||
                (op == '+' ? __builtin_add_overflow(x, y, &x) : __builtin_sub_overflow(x, y, &x));
            break;
        }
        case '*':
            overflow = __builtin_mul_overflow(a.num, b.num, &x) ||
                       __builtin_mul_overflow(a.den, b.den, &den);
            break;
        case '/':
            if (b.num == 0) return kUnknown;
            overflow = __builtin_mul_overflow(a.num, b.den, &x) ||
                       __builtin_mul_overflow(a.den, b.num, &den);
            break;
        default:
            return kUnknown;
    }
    if (overflow) return kUnknown;
    return reduced(x, den);
}

WorkedValue WorkOut(std::string_view expression) { return Worker(expression).run(); }

namespace {

// Without division every value on the way is a whole number of at most the product of the
// operands, each taken as at least 2 (a sum or difference of two such bounds is within their
// product). Below 2^53 a double holds every one of them exactly, and so does the evaluator.
bool evaluatesExactly(std::string_view expression) {
    constexpr double kExactBelow = 9007199254740992.0;  // 2^53
    double bound = 1;
    std::uint32_t operand = 0;
    for (const char c : expression) {
        if (c == '/') return false;
        if (c >= '0' && c <= '9') {
            operand = operand * 10 + static_cast<std::uint32_t>(c - '0');
            if (operand > 1000000000) return false;
            continue;
        }
        bound *= operand < 2 ? 2 : operand;
        operand = 0;
    }
    bound *= operand < 2 ? 2 : operand;
    return bound < kExactBelow;
}

}  // namespace

bool IsExactAnswer(std::string_view expression, std::string_view answer, std::int32_t answerLimit,
                   bool wholeSteps) {
    // The text rule has passed the answer: where the evaluator cannot have rounded, it is exact.
    if (!wholeSteps && evaluatesExactly(expression)) return true;
    const WorkedValue worked = WorkOut(expression);
    const Fraction& value = worked.value;
    if (!value.whole() || value.num < 0 || value.num >= answerLimit) return false;
    if (wholeSteps && !worked.wholeSteps) return false;
    // Plain digits once the text rule has passed it; "-0" is 0.
    if (!answer.empty() && answer.front() == '-') answer.remove_prefix(1);
    Wide shown = 0;
    for (const char c : answer) {
        if (c < '0' || c > '9' || shown > answerLimit) return false;
        shown = shown * 10 + (c - '0');
    }
    return !answer.empty() && shown == value.num;
}

}  // namespace suantiji
