#include "services/expression_evaluator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

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
    std::uint64_t state = 12345;
    auto next = [&state](int n) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<int>((state >> 33) % static_cast<std::uint64_t>(n));
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

// Candidates of the generator's form take a shorter road than other texts; a leading blank
// sends the same text the general way. Both must give the very same double (or both fail).
TEST(Evaluate, GeneratorFormGivesTheSameBitsAsTheGeneralWay) {
    ExpressionEvaluator evaluator;
    const AutomationObject engine = evaluator.EngineObject();
    auto bits = [&engine](const std::string& text, bool& ok) {
        const AutomationValue value = engine.CallValue("Eval", {text});
        ok = LastComponentError() == 0;
        double number = 0;
        if (ok) {
            EXPECT_TRUE(value.toNumber(number)) << text;
        }
        std::uint64_t out = 0;
        std::memcpy(&out, &number, sizeof out);
        return out;
    };
    auto same = [&bits](const std::string& text) {
        bool plainOk = false;
        bool generalOk = false;
        const std::uint64_t plain = bits(text, plainOk);
        const std::uint64_t general = bits(" " + text, generalOk);
        EXPECT_EQ(plainOk, generalOk) << text;
        if (plainOk && generalOk) {
            EXPECT_EQ(plain, general) << text;
        }
    };
    std::uint64_t state = 99;
    auto next = [&state](int n) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<int>((state >> 33) % static_cast<std::uint64_t>(n));
    };
    const char ops[] = {'+', '-', '*', '/'};
    for (int i = 0; i < 20000; ++i) {
        const int count = 2 + next(8);
        std::string text;
        bool open = false;
        for (int k = 0; k < count; ++k) {
            if (k > 0) text += ops[next(4)];
            // Brackets around a sum or difference of two, as the generator places them.
            if (!open && k + 1 < count && next(3) == 0) {
                text += '(';
                open = true;
                text += std::to_string(1 + next(100000));
                text += "+-"[next(2)];
                continue;
            }
            text += std::to_string(1 + next(i % 2 == 0 ? 100 : 99999));
            if (open) {
                text += ')';
                open = false;
            }
        }
        same(text);
    }
    // Texts at and beyond the edges of the form.
    for (const char* text : {"1",
                             "(1)",
                             "((2+3))*4",
                             "1+",
                             "(1+2",
                             "1+2)",
                             ")",
                             "()",
                             "",
                             "1234567890123456+1",
                             "123456789012345*10",
                             "1.5+2",
                             "1e3*2",
                             "2*-3",
                             "+2",
                             "17%5",
                             "2**3",
                             "1/0",
                             "0/0",
                             "(((((((((((((((((((((((((((((((((1)))))))))))))))))))))))))))))))))",
                             "9-(8-(7-6))",
                             "1234567+7654321",
                             "12345678*87654321",
                             "123456789/3",
                             "999999999999999-1",
                             "0012+0"}) {
        same(text);
    }
    // Signed zeros: a first term or factor must keep its sign.
    for (const char* text : {"0*(1-2)", "(0*(1-2))", "0/(2-1)*(3-4)", "0*(2-3)-0",
                             "0*(2-3)+0*(4-5)", "5*(0-0)", "1-0/0", "(2-0/0)*3"}) {
        same(text);
    }
    // A zero byte inside, and a long text.
    same(
        std::string("1+2\0"
                    "3",
                    5));
    std::string longText = "1";
    while (longText.size() < 241) longText += "+1";
    same(longText);
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
    ExpressionEvaluator evaluator;
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
    evaluator.AddScriptCode("function loop(x) { return loop(x); }");
    EXPECT_EQ(evaluator.CallProcedure("loop", {"1"}), "");
    EXPECT_EQ(LastComponentError(), -11);

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
