#include "services/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace suantiji {
namespace {

// The value rounded to 15 significant digits by the C library's exact conversion.
double roundedTo15(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.14e", value);
    return std::strtod(text, nullptr);
}

void expectFormatted(double value) {
    const std::string text = NumberToText(value);
    const double rounded = roundedTo15(value);
    EXPECT_EQ(std::strtod(text.c_str(), nullptr), rounded) << text << " for " << value;
    EXPECT_EQ(text.find_first_of("eE"), std::string::npos) << text;
    const bool whole = rounded == std::trunc(rounded);
    EXPECT_EQ(text.find('.') == std::string::npos, whole) << text;
    if (!whole) {
        EXPECT_NE(text.back(), '0') << text;
    }
    std::size_t significant = 0;
    for (std::size_t i = text.find_first_not_of("-0."); i < text.size(); ++i)
        significant += (text[i] >= '0' && text[i] <= '9') ? 1 : 0;
    if (!whole) {
        EXPECT_LE(significant, 15u) << text;
    }
}

TEST(NumberText, QuotientsRoundToFifteenDigits) {
    EXPECT_EQ(NumberToText(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(NumberToText(-2.0 / 3), "-0.666666666666667");
    EXPECT_EQ(NumberToText(1.0 / 49 * 49), "1");
    EXPECT_EQ(NumberToText(0.1 + 0.2), "0.3");
    EXPECT_EQ(NumberToText(3.5), "3.5");
    EXPECT_EQ(NumberToText(99999.99999999999), "100000");
    EXPECT_EQ(NumberToText(0.000012345), "0.000012345");
    EXPECT_EQ(NumberToText(1e-7), "0.0000001");
    EXPECT_EQ(NumberToText(123456789012.5), "123456789012.5");
}

// Values a question's arithmetic gives, and the places where the first digit or the rounding
// moves: the text reads back as the exactly rounded value, in plain notation.
TEST(NumberText, AgreesWithTheExactConversion) {
    for (int a = 1; a <= 60; ++a) {
        for (int b = 1; b <= 60; ++b) {
            expectFormatted(static_cast<double>(a) / b);
            expectFormatted(-static_cast<double>(a) / b * 7 + 0.5);
        }
    }
    for (int k = -8; k <= 22; ++k) {
        const double power = std::pow(10.0, k);
        for (const double v : {power, std::nextafter(power, 0.0), std::nextafter(power, 1e300)}) {
            expectFormatted(v);
            expectFormatted(-v);
        }
    }
    // Ties at the sixteenth digit, and their neighbours.
    for (const double tie : {1234567890123.125, 98765432109.8765, 0.5, 12345678901234.5}) {
        expectFormatted(tie);
        expectFormatted(std::nextafter(tie, 0.0));
        expectFormatted(std::nextafter(tie, 1e300));
    }
    EXPECT_EQ(NumberToText(1e300).size(), 301u);
    EXPECT_EQ(NumberToText(-1e-300).substr(0, 6), "-0.000");
}

}  // namespace
}  // namespace suantiji
