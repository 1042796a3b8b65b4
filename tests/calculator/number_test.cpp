#include "calculator/number.h"
#include "doubles.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfenv>  // feclearexcept, fetestexcept: parsing must raise no error flag
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace valdenta {
namespace {

using namespace testing_doubles;

struct ParseCase {
    std::string text;
    double value;     // expected bit for bit (sign of zero included); NaN: sign only
    std::size_t end;  // bytes consumed, 0 for "no number"
};

// Expected values are C++ literals, rounded to the nearest double by the compiler.
const std::vector<ParseCase>& parseCases() {
    static const std::vector<ParseCase> cases = {
        // Plain numbers and the longest prefix that forms one.
        {"12", 12.0, 2},
        {"12abc", 12.0, 2},
        {"1.5.3", 1.5, 3},
        {".5", 0.5, 2},
        {"5.", 5.0, 2},
        {"0.05", 0.05, 4},
        {"1,5", 1.0, 1},
        {"0x10", 0.0, 1},
        {"-5", -5.0, 2},
        {"+5", 5.0, 2},
        {"1013.2", 1013.2, 6},
        // White space: 0x20 and 0x09-0x0D only, before the sign only.
        {"  12", 12.0, 4},
        {"\t\n\v\f\r12", 12.0, 7},
        {" -5", -5.0, 3},
        {"- 5", -0.0, 0},
        // Exponent; an "e" without digits is not part of the number.
        {"1e2", 100.0, 3},
        {"1E-1", 0.1, 4},
        {"1e+05", 1e5, 5},
        {"1e", 1.0, 1},
        {"1e+", 1.0, 1},
        {"1E-x", 1.0, 1},
        {"1e-0000000000000000000000000005", 1e-5, 31},
        // No digit: zero, negative after a "-".
        {"", 0.0, 0},
        {"   ", 0.0, 0},
        {"abc", 0.0, 0},
        {"-", -0.0, 0},
        {"+", 0.0, 0},
        {".", 0.0, 0},
        {"-.", -0.0, 0},
        {"-.e5", -0.0, 0},
        // Zeros only: zero with the sign, whatever the exponent.
        {"-0", -0.0, 2},
        {"0e9999", 0.0, 6},
        {"-0.000e-99999", -0.0, 13},
        {"-0e99999999999999999999", -0.0, 23},
        // INF and NAN: capitals, right after a sign.
        {"+INF", kInf, 4},
        {"-INF", -kInf, 4},
        {" -INF", -kInf, 5},
        {"+INFINITY", kInf, 4},
        {"+NAN", kNan, 4},
        {"-NAN", -kNan, 4},
        {"+NANx", kNan, 4},
        {"INF", 0.0, 0},
        {"NAN", 0.0, 0},
        {"inf", 0.0, 0},
        {"+inf", 0.0, 0},
        {"-nan", -0.0, 0},
        {"+IN", 0.0, 0},
        {"-Nx", -0.0, 0},
        {"-I5", -0.0, 0},
        // Bytes 0x80 and above are neither white space nor digits.
        {"\xEF\xBC\x91\xEF\xBC\x92", 0.0, 0},  // full-width 12, UTF-8
        {"\x82\x50\x82\x51", 0.0, 0},          // full-width 12, code page 932
        {"\x81\x40" "12", 0.0, 0},             // ideographic space, code page 932
        {"\xE3\x80\x80" "12", 0.0, 0},         // ideographic space, UTF-8
        {"12\x81\x40", 12.0, 2},
        {"1.5\xEF\xBC\x91", 1.5, 3},
        // Beyond the doubles.
        {"1e999", kInf, 5},
        {"-1e999", -kInf, 6},
        {"1e-999", 0.0, 6},
        {"-1e-999", -0.0, 7},
        {"1e4932", kInf, 6},
        {"1e4933", kInf, 6},
        {"99e4932", kInf, 7},
        {"1e-4932", 0.0, 7},
        {"1e-4933", 0.0, 7},
        {"1e99999999999999999999", kInf, 22},
        {"-1e-99999999999999999999", -0.0, 24},
        {"1.7976931348623157e308", kMax, 22},
        {"1.7976931348623158e308", kMax, 22},  // below the midpoint to the next power
        {"1.7976931348623159e308", kInf, 22},
        {"1" + std::string(400, '0'), kInf, 401},
        {"0." + std::string(400, '0') + "1", 0.0, 403},
        // The written exponent decides beyond +-4932, not the magnitude.
        {"0." + std::string(4999, '0') + "1e4933", kInf, 5007},
        {"1" + std::string(5000, '0') + "e-4933", 0.0, 5007},
        // Subnormals and the underflow boundary (half the smallest subnormal is
        // 2.4703282292062327208...e-324).
        {"4.9406564584124654e-324", kMinSubnormal, 23},
        {"-4.9406564584124654e-324", -kMinSubnormal, 24},
        {"2.4703282292062328e-324", kMinSubnormal, 23},
        {"2.4703282292062327e-324", 0.0, 23},
        {"-2.4703282292062327e-324", -0.0, 24},
        {"1e-324", 0.0, 6},
        {"2.2250738585072011e-308", 2.2250738585072011e-308, 23},
        {"2.2250738585072014e-308", kMinNormal, 23},
        // Rounding to nearest, ties to even.
        {"9007199254740993", 9007199254740992.0, 16},
        {"9007199254740995", 9007199254740996.0, 16},
        {"0.1", 0.1, 3},
        // Around the short path (15 digits, a power of ten up to 22) and past it.
        {"999999999999999e22", 999999999999999e22, 18},
        {"123456789012345e-22", 123456789012345e-22, 19},
        {"1e23", 1e23, 4},
        {"8.589973e9", 8.589973e9, 10},
        {"9999999999999999e-23", 9999999999999999e-23, 20},
        // Only 19 significant digits count; later ones read as zeros but keep
        // their place. The 20th digit here would lift the tie to ...994.
        {"9007199254740993.0001", 9007199254740992.0, 21},
        {"12345678901234567891", 12345678901234567890.0, 20},
        {"12345678901234567890", 12345678901234567890.0, 20},
        {"123456789012345678901234567890", 1234567890123456789e11, 30},
        {"3.14159265358979323846264338327950288", 3.141592653589793238, 37},
        // Leading zeros are not significant.
        {"0000000000000000000000001.5", 1.5, 27},
        {"0.00000000000000000000001234567890123456789", 1.234567890123456789e-23, 43},
    };
    return cases;
}

void expectSameDouble(double actual, double expected) {
    if (std::isnan(expected)) {
        ASSERT_TRUE(std::isnan(actual)) << actual;
        EXPECT_EQ(std::signbit(actual), std::signbit(expected));
        EXPECT_TRUE(bits(actual) & (std::uint64_t{1} << 51)) << "not a quiet NaN";
    } else {
        EXPECT_EQ(bits(actual), bits(expected)) << "got " << actual << ", want " << expected;
    }
}

TEST(ScanNumber, ReadsTheGrammarExactly) {
    for (const ParseCase& c : parseCases()) {
        SCOPED_TRACE("text \"" + c.text.substr(0, 60) + "\"");
        // An exact-size copy without a terminator: any read past the end shows
        // under AddressSanitizer.
        auto bytes = std::make_unique<char[]>(c.text.size());
        c.text.copy(bytes.get(), c.text.size());
        const std::string_view text(bytes.get(), c.text.size());

        std::feclearexcept(FE_ALL_EXCEPT);
        const ScannedNumber scanned = scanNumber(text);
        EXPECT_FALSE(std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW))
            << "parsing raised a floating-point error flag";
        expectSameDouble(scanned.value, c.value);
        EXPECT_EQ(scanned.end, c.end);
        expectSameDouble(parseNumber(text), c.value);
    }
}

TEST(ScanNumber, StopsAtTheEndOfTheView) {
    EXPECT_EQ(parseNumber(std::string_view("12345", 2)), 12.0);
    EXPECT_EQ(scanNumber(std::string_view("1e5", 2)).end, 1u);
    EXPECT_EQ(parseNumber(std::string_view("1e5", 2)), 1.0);
    const ScannedNumber incompleteInf = scanNumber(std::string_view("+INF", 3));
    EXPECT_EQ(bits(incompleteInf.value), bits(0.0));
    EXPECT_EQ(incompleteInf.end, 0u);
    EXPECT_EQ(bits(parseNumber(std::string_view("-NAN", 2))), bits(-0.0));
    EXPECT_EQ(bits(parseNumber(std::string_view())), bits(0.0));
}

}  // namespace
}  // namespace valdenta
