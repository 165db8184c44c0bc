#include "services/expression_evaluator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <sstream>

#include "services/script_component.h"
#include "tests/support/test_random.h"

namespace suantiji {
namespace {

struct EvalCase {
    const char* expression;
    const char* text;
};

class EvaluateTest : public testing::TestWithParam<EvalCase> {
protected:
    ExpressionEvaluator evaluator;
};

TEST_P(EvaluateTest, GivesScriptEngineText) {
    EXPECT_EQ(evaluator.Evaluate(GetParam().expression), GetParam().text) << GetParam().expression;
    EXPECT_EQ(LastComponentError(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Arithmetic, EvaluateTest,
    testing::Values(
        // Exact division, precedence and left-to-right order.
        EvalCase{"7/2", "3.5"}, EvalCase{"6/3", "2"}, EvalCase{"2-5", "-3"},
        EvalCase{"10-2*3", "4"}, EvalCase{"8/4/2", "1"}, EvalCase{"9-3-2", "4"},
        EvalCase{"3*(4+5)", "27"}, EvalCase{"8/(2+6)", "1"}, EvalCase{"6*(2-5)", "-18"},
        EvalCase{"2*((3+4))", "14"}, EvalCase{"6/4*2", "3"}, EvalCase{"3-5+4", "2"},
        EvalCase{"9-4-5", "0"}, EvalCase{"1/3", "0.333333333333333"},
        EvalCase{"2/3", "0.666666666666667"},
        // The division residue vanishes at 15 significant digits.
        EvalCase{"1/49*49", "1"}, EvalCase{"7/25*25", "7"}, EvalCase{"0.1+0.2", "0.3"},
        // Large whole values stay plain digits; tiny fractions never use an exponent.
        EvalCase{"99999*99998", "9999700002"},
        EvalCase{"100*99*98*97*96*95*94*93", "7503063898176000"},
        EvalCase{"1/100/100/100/100", "0.00000001"}, EvalCase{"1e21*10", "10000000000000000000000"},
        EvalCase{"-(2+3)*2", "-10"}, EvalCase{"2*-3", "-6"}, EvalCase{" 1 + 2 ", "3"},
        EvalCase{"17%5", "2"}, EvalCase{"1/0", "Infinity"}));

// Expressions as the generator builds them, checked against exact rational arithmetic: a
// whole value must come back as its digits, any other value with a ".".
// Exact enough for every product and quotient of these small operands.
__extension__ typedef __int128 Int128;

struct Rational {
    Int128 num = 0;
    Int128 den = 1;
};

Int128 gcd(Int128 a, Int128 b) {
    if (a < 0) a = -a;
    while (b != 0) {
        const Int128 t = a % b;
        a = b;
        b = t < 0 ? -t : t;
    }
    return a == 0 ? 1 : a;
}

Rational reduce(Int128 n, Int128 d) {
    if (d < 0) {
        n = -n;
        d = -d;
    }
    const Int128 g = gcd(n, d);
    return {n / g, d / g};
}

Rational apply(Rational a, char op, Rational b) {
    switch (op) {
        case '+':
            return reduce(a.num * b.den + b.num * a.den, a.den * b.den);
        case '-':
            return reduce(a.num * b.den - b.num * a.den, a.den * b.den);
        case '*':
            return reduce(a.num * b.num, a.den * b.den);
        default:
            return reduce(a.num * b.den, a.den * b.num);
    }
}

TEST(Evaluate, WholeAndFractionalResultsMatchExactArithmetic) {
    ExpressionEvaluator evaluator;
    TestRandom random(12345);
    auto next = [&random](int n) {
        return static_cast<int>(random.Below(static_cast<std::uint32_t>(n)));
    };
    const char ops[] = {'+', '-', '*', '/'};
    int wholes = 0;
    for (int i = 0; i < 20000; ++i) {
        const int count = 2 + next(4);
        std::vector<int> numbers;
        std::vector<char> operators;
        for (int k = 0; k < count; ++k) numbers.push_back(1 + next(100));
        for (int k = 0; k + 1 < count; ++k) operators.push_back(ops[next(4)]);
        std::string text = std::to_string(numbers[0]);
        for (int k = 0; k + 1 < count; ++k) text += operators[k] + std::to_string(numbers[k + 1]);
        // Reference: * and / first, left to right, then + and -.
        std::vector<Rational> terms{Rational{numbers[0], 1}};
        std::vector<char> addOps;
        for (int k = 0; k + 1 < count; ++k) {
            const Rational operand{numbers[k + 1], 1};
            if (operators[k] == '*' || operators[k] == '/') {
                terms.back() = apply(terms.back(), operators[k], operand);
            } else {
                addOps.push_back(operators[k]);
                terms.push_back(operand);
            }
        }
        Rational value = terms[0];
        for (std::size_t k = 0; k < addOps.size(); ++k)
            value = apply(value, addOps[k], terms[k + 1]);
        const std::string answer = evaluator.Evaluate(text);
        if (value.den == 1) {
            ++wholes;
            EXPECT_EQ(answer, std::to_string(static_cast<long long>(value.num))) << text;
        } else {
            EXPECT_NE(answer.find('.'), std::string::npos) << text << " gave " << answer;
        }
    }
    EXPECT_GT(wholes, 1000);
}

// The generator's form is worked out by the dedicated evaluator, everything else by Duktape.
// Both must give the same double, bit for bit, and so the same text.
class Differential : public testing::Test {
protected:
    static const ComponentRegistry& scriptOnly() {
        static const ComponentRegistry registry = [] {
            ComponentRegistry r;
            r.Register("ScriptControl", [] { return CreateScriptComponent(false); });
            return r;
        }();
        return registry;
    }

    void expectSame(const std::string& text) {
        const AutomationValue plain = m_plain.EvaluateValue(text);
        const int plainCode = LastComponentError();
        const AutomationValue script = m_script.EvaluateValue(text);
        ASSERT_EQ(plainCode, LastComponentError()) << text;
        if (plainCode != 0) return;
        ASSERT_EQ(plain.kind(), script.kind()) << text;
        if (plain.number() != nullptr) {
            EXPECT_EQ(std::bit_cast<std::uint64_t>(*plain.number()),
                      std::bit_cast<std::uint64_t>(*script.number()))
                << text;
        }
        EXPECT_EQ(m_plain.Evaluate(text), m_script.Evaluate(text)) << text;
    }

    ExpressionEvaluator m_plain;
    ExpressionEvaluator m_script{scriptOnly()};
};

TEST_F(Differential, GeneratorFormAgreesWithTheScriptEngine) {
    TestRandom random(99);
    auto next = [&random](int n) {
        return static_cast<int>(random.Below(static_cast<std::uint32_t>(n)));
    };
    const char ops[] = {'+', '-', '*', '/'};
    auto isProduct = [](char op) { return op == '*' || op == '/'; };
    for (int i = 0; i < 100000; ++i) {
        // Distinct operands, as the generator draws them, mostly up to 1000, some of five digits.
        const int count = 2 + next(8);
        std::vector<int> numbers;
        while (static_cast<int>(numbers.size()) < count) {
            const int n = next(10) == 0 ? 10000 + next(90000) : 1 + next(1000);
            if (std::find(numbers.begin(), numbers.end(), n) == numbers.end()) numbers.push_back(n);
        }
        std::vector<char> operators;
        for (int k = 0; k + 1 < count; ++k) operators.push_back(ops[next(4)]);
        // Brackets where the generator puts them: around the sum or difference that directly
        // follows the leftmost "*" or "/", and sometimes around the next such one too.
        std::vector<bool> opens(static_cast<std::size_t>(count), false);
        const int pairs = next(3);
        for (int k = 0, placed = 0; k + 2 < count && placed < pairs; ++k) {
            if (isProduct(operators[k]) && !isProduct(operators[k + 1])) {
                opens[static_cast<std::size_t>(k + 1)] = true;
                ++placed;
                k += 2;
            }
        }
        std::string text;
        for (int k = 0; k < count; ++k) {
            if (opens[static_cast<std::size_t>(k)]) text += '(';
            text += std::to_string(numbers[static_cast<std::size_t>(k)]);
            if (k > 0 && opens[static_cast<std::size_t>(k - 1)]) text += ')';
            if (k + 1 < count) text += operators[static_cast<std::size_t>(k)];
        }
        expectSame(text);
        if (HasFailure()) return;
    }
    // The edge cases of the arithmetic, and texts at and past the edges of the plain form:
    // leading zeros are octal to the script engine, and so are left to it.
    std::istringstream edges(
        "7/2 6/3 2-5 10-2*3 8/4/2 9-3-2 3*(4+5) 8/(2+6) 6*(2-5) 2*((3+4)) 1/3 1/49*49 7/25*25 "
        "99999*99998 1 (1) 1/0 1+ (1+2 1+2) () 0012+0 09*2 1234567890123456+1 999999999999999-1 "
        "123456789012345*10 1.5+2 9-(8-(7-6)) 0*(1-2) 0*(2-3)-0 0*(2-3)+0*(4-5) 5*(0-0) ((((1))))");
    for (std::string text; edges >> text;) expectSame(text);
    expectSame("");
}

TEST(Evaluate, FailuresGiveEmptyTextAndACode) {
    ExpressionEvaluator evaluator;
    for (const char* bad : {"2+", "(1+2", "1+2)", "3 4", "abc", "()", "1..2", "2*(3+4))"}) {
        EXPECT_EQ(evaluator.Evaluate(bad), "") << bad;
        EXPECT_EQ(LastComponentError(), -11) << bad;
        EXPECT_EQ(evaluator.LastErrorText(), "发现异常");
    }
    // Deep nesting is refused, not a stack overflow.
    const std::string deep = std::string(100000, '(') + "1" + std::string(100000, ')');
    EXPECT_EQ(evaluator.Evaluate(deep), "");
    EXPECT_EQ(evaluator.Evaluate(""), "");
    EXPECT_EQ(LastComponentError(), 0);
}

// The raw result, written into a reused string, must give what Evaluate returns: the reused
// string overwritten, longer or shorter, and cleared on failure.
TEST(Evaluate, RawValueGivesTheSameTextsAsReturning) {
    ExpressionEvaluator evaluator;
    std::string answer = "left over from before, longer than any answer";
    for (const char* text : {"1/3", "7", "2+", "1/49*49", "10/4", "", "100000*99999", "2+"}) {
        const std::string returned = evaluator.Evaluate(text);
        const int code = LastComponentError();
        detail::AssignText(evaluator.EvaluateValue(text), answer);
        EXPECT_EQ(answer, returned) << text;
        EXPECT_EQ(LastComponentError(), code) << text;
    }
    const ComponentRegistry nothing;
    const ExpressionEvaluator without(nothing);
    answer = "3.5";
    detail::AssignText(without.EvaluateValue("1+1"), answer);
    EXPECT_EQ(answer, "");
    EXPECT_EQ(LastComponentError(), -1);
}

TEST(Evaluate, WithoutEngineEverythingFailsAsEmptyObject) {
    const ComponentRegistry nothing;
    const int before = ComInitCount();
    {
        ExpressionEvaluator evaluator(nothing);
        EXPECT_EQ(ComInitCount(), before + 1);
        EXPECT_EQ(evaluator.Evaluate("1+1"), "");
        EXPECT_EQ(LastComponentError(), -1);
        EXPECT_EQ(evaluator.LastErrorText(), "对象为空");
        EXPECT_FALSE(evaluator.RunStatement("x = 1"));
        EXPECT_TRUE(evaluator.EngineObject().IsEmpty());
    }
    EXPECT_EQ(ComInitCount(), before);
}

TEST(ExpressionEvaluator, CopiesShareTheEngineAndBalanceInitialisation) {
    const int before = ComInitCount();
    {
        ExpressionEvaluator first;
        ExpressionEvaluator second = first;
        EXPECT_EQ(ComInitCount(), before + 2);
        EXPECT_TRUE(first.EngineObject() == second.EngineObject());
        EXPECT_TRUE(first.RunStatement("var width = 6"));
        EXPECT_EQ(second.Evaluate("width*7"), "42");
    }
    EXPECT_EQ(ComInitCount(), before);
}

TEST(ExpressionEvaluator, StatementsProceduresAndReset) {
    const int heaps = LiveScriptHeaps();
    ExpressionEvaluator evaluator;
    // Plain arithmetic, the generator's, never makes a script heap; anything else does.
    EXPECT_EQ(evaluator.Evaluate("45-75/25*(22-3)+16*7-2+9"), "107");
    EXPECT_EQ(LiveScriptHeaps(), heaps);
    evaluator.AddScriptCode(
        "function area(w, h) { return w * h; }\nfunction half(x) { return x / 2; }");
    EXPECT_EQ(LastComponentError(), 0);
    EXPECT_EQ(evaluator.CallProcedure("area", {"6", "7"}), "42");
    EXPECT_EQ(evaluator.CallProcedure("half", {"7"}), "3.5");
    EXPECT_EQ(evaluator.Evaluate("area(2, half(8))"), "8");
    EXPECT_TRUE(evaluator.RunStatement("n = 5; m = n * 2"));
    EXPECT_EQ(evaluator.Evaluate("m - n"), "5");
    EXPECT_FALSE(evaluator.RunStatement("n = "));
    EXPECT_EQ(evaluator.LastErrorText(), "发现异常");
    // A procedure calling itself without end is stopped.
    evaluator.AddScriptCode("function loop(x) { return 1 + loop(x); }");
    EXPECT_EQ(evaluator.CallProcedure("loop", {"1"}), "");
    EXPECT_EQ(LastComponentError(), -11);

    EXPECT_EQ(evaluator.CallProcedure("n", {"1"}), "");  // not a procedure
    EXPECT_EQ(LastComponentError(), -11);
    EXPECT_EQ(LiveScriptHeaps(), heaps + 1);

    evaluator.ResetEngine();
    EXPECT_EQ(evaluator.CallProcedure("area", {"6", "7"}), "");
    EXPECT_EQ(LastComponentError(), -11);
    EXPECT_EQ(evaluator.Evaluate("m"), "");
}

TEST(ExpressionEvaluator, EngineProperties) {
    ExpressionEvaluator evaluator;
    EXPECT_EQ(evaluator.ScriptLanguage(), "JScript");
    EXPECT_EQ(evaluator.ScriptLanguage(1), "vbs");
    EXPECT_EQ(evaluator.ScriptLanguage(7), "vbs");  // writes nothing
    // No engine runs that language, the plain arithmetic included.
    EXPECT_EQ(evaluator.Evaluate("1+1"), "");
    EXPECT_EQ(LastComponentError(), -11);
    EXPECT_FALSE(evaluator.RunStatement("x = 1"));
    EXPECT_EQ(evaluator.ScriptLanguage(0), "JScript");

    EXPECT_EQ(evaluator.ScriptTimeout(5000), 5000);
    EXPECT_EQ(evaluator.ScriptTimeout(), -1);  // no argument writes -1

    EXPECT_EQ(evaluator.EngineState(), 0);
    EXPECT_EQ(evaluator.EngineState(1), 1);
    EXPECT_EQ(evaluator.EngineState(), 1);   // no argument writes nothing
    EXPECT_EQ(evaluator.EngineState(9), 1);  // refused by the engine

    EXPECT_TRUE(evaluator.AllowUserInterface());
    EXPECT_FALSE(evaluator.AllowUserInterface(false));
    EXPECT_FALSE(evaluator.AllowUserInterface());

    EXPECT_EQ(evaluator.SiteWindow(), 0);
    EXPECT_EQ(evaluator.SiteWindow(77), 77);
    EXPECT_EQ(evaluator.SiteWindow(), 77);
}

}  // namespace
}  // namespace suantiji
