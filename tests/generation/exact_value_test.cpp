#include "generation/exact_value.h"

#include <gtest/gtest.h>

#include <string>

#include "services/expression_evaluator.h"
#include "tests/generation/question_reading.h"
#include "tests/support/test_random.h"

namespace suantiji {
namespace {

long long whole(const Fraction& f) {
    EXPECT_TRUE(f.whole());
    return static_cast<long long>(f.num);
}

TEST(WorkOut, ValuesAndStepsAsAPupilWorksThem) {
    EXPECT_EQ(whole(WorkOut("5+6/3-4").value), 3);
    EXPECT_TRUE(WorkOut("5+6/3-4").wholeSteps);  // 2, 7, 3
    EXPECT_EQ(whole(WorkOut("28-73+89").value), 44);
    EXPECT_FALSE(WorkOut("28-73+89").wholeSteps);  // 28-73 is below zero
    EXPECT_EQ(whole(WorkOut("10/30*6").value), 2);
    EXPECT_FALSE(WorkOut("10/30*6").wholeSteps);        // 10/30 is not whole
    EXPECT_FALSE(WorkOut("46*18*(73-85)").wholeSteps);  // the brackets go below zero
    EXPECT_EQ(whole(WorkOut("12+5*(3-2)").value), 17);
    const Fraction third = WorkOut("1/3").value;
    EXPECT_TRUE(third.known && third.num == 1 && third.den == 3);
    for (const char* bad : {"", "1+", "(1+2", "1*(2+3", "1+(2*3)", "1 + 2", "-1", "1.5"}) {
        EXPECT_FALSE(WorkOut(bad).value.known) << bad;
    }
}

// Chains of divisions by large numbers that the evaluator's 15 digits round to whole numbers.
TEST(IsExactAnswer, KeysThatRoundToAWholeNumberAreRefused) {
    ExpressionEvaluator evaluator;
    for (const char* q :
         {"525/566/484/798/17/952/436/631+464", "837-194/715/794/317/353/782/614"}) {
        const std::string text = evaluator.Evaluate(q);
        EXPECT_EQ(text.find('.'), std::string::npos) << q << " = " << text;
        EXPECT_FALSE(IsExactAnswer(q, text, 1000, false)) << q;
    }
    EXPECT_TRUE(IsExactAnswer("1/49*49", evaluator.Evaluate("1/49*49"), 1000, false));
    EXPECT_FALSE(IsExactAnswer("1/49*49", "1", 1000, true));
    EXPECT_TRUE(IsExactAnswer("9-4-5", "0", 1, true));
    EXPECT_FALSE(IsExactAnswer("4-5+9", "8", 1000, true));

    // Against the tests' own exact reading, on chains of eight and nine operands up to 32768.
    TestRandom random(28);
    int refused = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string q = std::to_string(random.Between(1, 32768));
        const int operands = random.Between(8, 9);
        for (int k = 1; k < operands; ++k) {
            q += k == 1 || random.Below(4) != 0 ? '/' : "+-*"[random.Below(3)];
            q += std::to_string(random.Between(1, 32768));
        }
        const std::string text = evaluator.Evaluate(q);
        const reading::Rational exact = reading::exactValue(reading::parse(q));
        const bool right = exact.den == 1 && exact.num >= 0 && exact.num < 1000000 &&
                           text == std::to_string(static_cast<long long>(exact.num));
        // Below 1,000,000: six digits at most.
        const bool textRule = !text.empty() && text.size() <= 6 &&
                              text.find_first_not_of("0123456789") == std::string::npos;
        EXPECT_EQ(textRule && IsExactAnswer(q, text, 1000000, false), right) << q;
        refused += textRule && !right ? 1 : 0;
    }
    EXPECT_GT(refused, 300);  // the fault is exercised, not only whole values
}

TEST(WholeValuesOf, AgreesWithTryingEveryValue) {
    TestRandom random(7);
    auto fraction = [&random](int most) {
        const Wide num = random.Between(-most, most);
        const Wide den = random.Between(1, most);
        return Combine(Fraction{num, 1, true}, '/', Fraction{den, 1, true});
    };
    for (int i = 0; i < 3000; ++i) {
        const Fraction a = fraction(i % 2 == 0 ? 12 : 5000);
        Fraction c = fraction(12);
        if (c.num == 0) c = Fraction{1, 1, true};
        const Wide highest = random.Between(0, 60);
        const Progression xs = WholeValuesOf(a, c, highest, 1, 200);
        int expected = 0;
        for (Wide x = 1; x <= 200; ++x) {
            const Fraction v = Combine(a, '+', Combine(c, '*', Fraction{x, 1, true}));
            const bool in = v.whole() && v.num >= 0 && v.num <= highest;
            expected += in ? 1 : 0;
            const bool listed = xs.count > 0 && x >= xs.first && (x - xs.first) % xs.step == 0 &&
                                (x - xs.first) / xs.step < xs.count;
            ASSERT_EQ(listed, in) << "x = " << static_cast<long long>(x);
        }
        EXPECT_EQ(static_cast<int>(xs.count), expected);
    }
}

}  // namespace
}  // namespace suantiji
