#include "calculator/display.h"
#include "calculator/number.h"
#include "doubles.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfenv>  // feclearexcept, fetestexcept: formatting a NaN must raise no flag
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace valdenta {
namespace {

using namespace testing_doubles;

/// glibc's "%.*f" in the "C" locale, the reference for fixed-point texts.
std::string printfFixed(double v, int decimals) {
    std::vector<char> buffer(static_cast<std::size_t>(decimals) + 400);
    const int n = std::snprintf(buffer.data(), buffer.size(), "%.*f", decimals, v);
    return std::string(buffer.data(), static_cast<std::size_t>(n));
}

/// The correctly rounded double of a whole text, by the standard library.
double fromChars(const std::string& text) {
    double v = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), v);
    EXPECT_EQ(result.ptr, text.data() + text.size()) << text;
    return v;
}

/// Finite doubles of every kind from a fixed seed: field-sized values, binary
/// fractions (exact ties when rounded to decimals), any bit pattern, subnormals.
std::vector<double> sampleDoubles() {
    std::mt19937_64 random(20240611);
    std::uniform_real_distribution<double> decade(-8.0, 16.0);
    std::uniform_int_distribution<std::int64_t> numerator(-2'000'000, 2'000'000);
    std::uniform_int_distribution<int> binaryPlaces(1, 10);
    std::vector<double> values;
    while (values.size() < 8000) {
        double v = 0.0;
        switch (values.size() % 4) {
            case 0: {
                const double sign = (random() & 1) ? -1.0 : 1.0;
                v = sign * std::pow(10.0, decade(random));
                break;
            }
            case 1:
                v = std::ldexp(static_cast<double>(numerator(random)), -binaryPlaces(random));
                break;
            case 2:
                v = std::bit_cast<double>(random());
                break;
            default:  // exponent field zero: subnormal
                v = std::bit_cast<double>(random() & 0x800F'FFFF'FFFF'FFFFull);
                break;
        }
        if (std::isfinite(v)) {
            values.push_back(v);
        }
    }
    return values;
}

struct FixedCase {
    double value;
    int decimals;
    const char* text;
};

TEST(FormatFixed, WritesTheFieldTexts) {
    const FixedCase cases[] = {
        {1013.2, 1, "1013.2"},
        {0.001, 5, "0.00100"},
        {-419.8, 1, "-419.8"},
        {15.0, 6, "15.000000"},
        {1013.2, 6, "1013.200000"},
        {0.001, 6, "0.001000"},
        {-50.0, 6, "-50.000000"},
        {0.0, 1, "0.0"},
        {-0.0, 1, "-0.0"},
        {-0.04, 1, "-0.0"},  // rounds to zero, keeps the sign
        {0.126, 2, "0.13"},
        {2.04, 1, "2.0"},
        // Exact binary ties round to even; 392.65 lies just below its midpoint.
        {0.125, 2, "0.12"},
        {0.375, 2, "0.38"},
        {392.65, 1, "392.6"},
        {2.5, 0, "2"},
        {3.5, 0, "4"},
        {-2.5, 0, "-2"},
        // Non-finite values in the form that reads back.
        {kInf, 1, "+INF"},
        {-kInf, 6, "-INF"},
        {kNan, 1, "+NAN"},
        {-kNan, 3, "-NAN"},
    };
    for (const FixedCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " with " << c.decimals << " decimals");
        EXPECT_EQ(formatFixed(c.value, c.decimals), c.text);
    }
}

TEST(FormatFixed, HoldsTheLongestTexts) {
    const std::string largest = formatFixed(kMax, 6);
    EXPECT_EQ(largest.size(), 309u + 1 + 6);
    EXPECT_EQ(largest, printfFixed(kMax, 6));
    EXPECT_EQ(formatFixed(-kMax, 6), printfFixed(-kMax, 6));
    EXPECT_EQ(formatFixed(1e308, 6), printfFixed(1e308, 6));
    // All 1074 binary places of the smallest subnormal, and more.
    EXPECT_EQ(formatFixed(kMinSubnormal, 1100), printfFixed(kMinSubnormal, 1100));
}

TEST(FormatFixed, MatchesPrintfOnSampleDoubles) {
    for (const double v : sampleDoubles()) {
        for (int decimals = 0; decimals <= 6; ++decimals) {
            ASSERT_EQ(formatFixed(v, decimals), printfFixed(v, decimals))
                << std::hexfloat << v << " with " << decimals << " decimals";
        }
    }
}

TEST(FormatFixed, NaNRaisesNoInvalidFlag) {
    for (const double nan : {kNan, -kNan}) {
        std::feclearexcept(FE_ALL_EXCEPT);
        const std::string fixed = formatFixed(nan, 1);
        const std::string shortest = formatShortest(nan);
        EXPECT_FALSE(std::fetestexcept(FE_INVALID)) << fixed << " " << shortest;
    }
}

TEST(FormatShortest, WritesTheShortestText) {
    const std::pair<double, const char*> cases[] = {
        {15.0, "15"},
        {0.1, "0.1"},
        {1013.2, "1013.2"},
        {1e300, "1e+300"},
        {0.0, "0"},
        {-0.0, "-0"},
        {kMinSubnormal, "5e-324"},
        {-kMax, "-1.7976931348623157e+308"},
        {kInf, "+INF"},
        {-kInf, "-INF"},
        {kNan, "+NAN"},
        {-kNan, "-NAN"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(formatShortest(value), text);
    }
}

TEST(NumberText, NonFiniteTextsReadBack) {
    for (const double v : {kInf, -kInf}) {
        EXPECT_EQ(bits(parseNumber(formatFixed(v, 1))), bits(v));
        EXPECT_EQ(bits(parseNumber(formatShortest(v))), bits(v));
    }
    for (const double v : {kNan, -kNan}) {
        const double back = parseNumber(formatFixed(v, 1));
        EXPECT_TRUE(std::isnan(back));
        EXPECT_EQ(std::signbit(back), std::signbit(v));
    }
}

TEST(NumberText, ShortestTextReadsBackBitForBit) {
    for (const double v : sampleDoubles()) {
        const std::string text = formatShortest(v);
        ASSERT_EQ(bits(parseNumber(text)), bits(v)) << text;
    }
}

TEST(NumberText, FixedTextReadsBackCorrectlyRounded) {
    for (const double v : sampleDoubles()) {
        const std::string text = formatFixed(v, 6);
        if (std::fabs(v) < 1e13) {
            // At most 19 significant digits: every digit takes part.
            ASSERT_EQ(bits(parseNumber(text)), bits(fromChars(text))) << text;
        } else {
            // Later digits read as zeros, but 19 digits still pin down the
            // double that was written (its spacing is far above 1e-18 relative).
            ASSERT_EQ(bits(parseNumber(text)), bits(v)) << text.substr(0, 40);
        }
    }
}

/// Switches the whole C locale for one test and back.
class ForeignLocale {
public:
    explicit ForeignLocale(const char* name) : previous_(std::setlocale(LC_ALL, nullptr)) {
        active_ = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~ForeignLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
    ForeignLocale(const ForeignLocale&) = delete;
    ForeignLocale& operator=(const ForeignLocale&) = delete;
    bool active() const { return active_; }

private:
    std::string previous_;
    bool active_ = false;
};

TEST(NumberText, IgnoresTheDecimalCommaLocale) {
    const ForeignLocale german("de_DE.UTF-8");
    if (!german.active()) {
        GTEST_SKIP() << "locale de_DE.UTF-8 not installed "
                        "(localedef -i de_DE -f UTF-8 de_DE.UTF-8 creates it)";
    }
    ASSERT_EQ(printfFixed(1.5, 1), "1,5") << "the locale did not take effect";

    EXPECT_EQ(formatFixed(1013.2, 1), "1013.2");
    EXPECT_EQ(formatFixed(15.0, 6), "15.000000");
    EXPECT_EQ(formatShortest(0.1), "0.1");
    EXPECT_EQ(parseNumber("1.5"), 1.5);
    EXPECT_EQ(parseNumber("1e-1"), 0.1);
    const ScannedNumber comma = scanNumber("1,5");
    EXPECT_EQ(comma.value, 1.0);
    EXPECT_EQ(comma.end, 1u);
}

}  // namespace
}  // namespace valdenta
