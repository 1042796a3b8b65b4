// The fault mechanism at the optimisation level of the release build: every
// operand reaches the step through a parameter, so nothing is folded at
// compile time, and the steps are written as the library writes them.

#include "formulas/fpcheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "formulas/air.h"
#include "formulas/errors.h"
#include "formulas/matherr.h"
#include "support.h"

namespace valdenta {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// The fault a checked step reports, or nothing when it completes.
template <class F>
std::optional<FpFault> faultOf(F&& compute) {
    try {
        checkedStep(compute);
    } catch (const FloatingPointError& error) {
        return error.fault();
    }
    return std::nullopt;
}

[[gnu::noinline]] std::optional<FpFault> divide(double a, double b) {
    return faultOf([&] {
        double x = a, y = b;
        materialise(x, y);
        return x / y;
    });
}

[[gnu::noinline]] std::optional<FpFault> multiply(double a, double b) {
    return faultOf([&] {
        double x = a, y = b;
        materialise(x, y);
        return x * y;
    });
}

[[gnu::noinline]] std::optional<FpFault> subtract(double a, double b) {
    return faultOf([&] {
        double x = a, y = b;
        materialise(x, y);
        return x - y;
    });
}

// Two faults in one step: an overflow that then leads to an invalid inf − inf.
[[gnu::noinline]] std::optional<FpFault> squareDifference(double a) {
    return faultOf([&] {
        double x = a;
        materialise(x);
        return x * x - x * x * 2;
    });
}

TEST(FpCheck, EachFaultIsCaughtWithItsKind) {
    EXPECT_EQ(divide(1, 0), FpFault::DivideByZero);
    EXPECT_EQ(divide(-1, 0), FpFault::DivideByZero);
    EXPECT_EQ(multiply(1e308, 10), FpFault::Overflow);
    EXPECT_EQ(subtract(kInf, kInf), FpFault::Invalid);
    EXPECT_EQ(divide(0, 0), FpFault::Invalid);
    EXPECT_EQ(multiply(kInf, 0), FpFault::Invalid);
}

TEST(FpCheck, SilentOutcomesAreNoFault) {
    EXPECT_EQ(divide(1, 3), std::nullopt);          // inexact
    EXPECT_EQ(multiply(1e-300, 1e-300), std::nullopt);  // underflow to 0
    EXPECT_EQ(multiply(kInf, 2), std::nullopt);     // arithmetic on an infinity operand
}

TEST(FpCheck, DivisionByZeroAndOverflowRankBeforeTheInvalidTheyLeadTo) {
    // getQ(e, 0): e / 0 is infinite, then ∞ / −∞ is invalid.
    EXPECT_EQ(faultOf([e = 10.0, P = 0.0] { return getQ(e, P); }), FpFault::DivideByZero);
    EXPECT_EQ(squareDifference(1e200), FpFault::Overflow);
}

TEST(FpCheck, FaultBeforeTheClearIsNotReported) {
    double early = 1.0;
    double zero = 0.0;
    materialise(early, zero);
    early /= zero;
    materialise(early);
    ASSERT_TRUE(std::fetestexcept(FE_DIVBYZERO));
    EXPECT_EQ(multiply(2, 3), std::nullopt);
    EXPECT_TRUE(std::isinf(early));
}

TEST(FpCheck, IdenticalExpressionBeforeTheClearIsComputedAgain) {
    // The same quotient computed before the step must not be reused for it:
    // its flag went with the clear.
    double a = 1.0, b = 0.0;
    materialise(a, b);
    const double early = a / b;
    const auto fault = faultOf([&] {
        double x = a, y = b;
        materialise(x, y);
        return x / y;
    });
    EXPECT_EQ(fault, FpFault::DivideByZero);
    EXPECT_TRUE(std::isinf(early));
}

TEST(FpCheck, Messages) {
    EXPECT_STREQ(fpFaultMessage(FpFault::Invalid), "無効な浮動小数点操作");
    EXPECT_STREQ(fpFaultMessage(FpFault::DivideByZero), "浮動小数点ｴﾗｰ: ｾﾞﾛによる除算");
    EXPECT_STREQ(fpFaultMessage(FpFault::Overflow), "浮動小数点ｴﾗｰ: ｵｰﾊﾞｰﾌﾛｰ");
    for (FpFault fault : {FpFault::Invalid, FpFault::DivideByZero, FpFault::Overflow}) {
        const FloatingPointError error(fault);
        EXPECT_STREQ(error.what(), fpFaultMessage(fault));
        EXPECT_EQ(error.fault(), fault);
    }
    const NonConvergenceError error(100000);
    EXPECT_STREQ(error.what(), "地表面温度が収束しませんでした（100000回の反復で熱収支が閉じません）");
    EXPECT_EQ(error.passes(), 100000);
}

// Records the texts of the math library's reports while it lives.
class MathErrorLog {
public:
    MathErrorLog() { previous_ = setMathErrorReporter(&record); }
    ~MathErrorLog() { setMathErrorReporter(previous_); }
    MathErrorLog(const MathErrorLog&) = delete;
    MathErrorLog& operator=(const MathErrorLog&) = delete;

    static std::vector<std::string>& texts() {
        static std::vector<std::string> log;
        return log;
    }

private:
    static void record(const std::string& text) { texts().push_back(text); }
    MathErrorReporter previous_;
};

class EsatSingularities : public testing::Test {
protected:
    void SetUp() override { MathErrorLog::texts().clear(); }
    MathErrorLog log_;
};

TEST_F(EsatSingularities, ZeroDivisorAtMinus237_3) {
    EXPECT_EQ(faultOf([T = -237.3] { return getEsat(T); }), FpFault::DivideByZero);
    EXPECT_EQ(faultOf([T = -237.3, P = 1013.2] { return getQsat(T, P); }),
              FpFault::DivideByZero);
    EXPECT_TRUE(MathErrorLog::texts().empty());
}

TEST_F(EsatSingularities, PowerOverflowIsReportedAndLeavesInfinity) {
    for (double T : {-243.2, -240.0, std::nextafter(-237.3, -238.0)}) {
        SCOPED_TRACE(T);
        MathErrorLog::texts().clear();
        clearFpFlags();
        double es = getEsat(T);
        materialise(es);
        EXPECT_FALSE(std::fetestexcept(FE_OVERFLOW | FE_DIVBYZERO | FE_INVALID));
        EXPECT_EQ(es, kInf);
        EXPECT_EQ(MathErrorLog::texts(), std::vector<std::string>{"pow: OVERFLOW error"});
    }
}

TEST_F(EsatSingularities, InfiniteSaturationPressureFailsAsInvalidInTheNextArithmetic) {
    EXPECT_EQ(faultOf([T = -240.0, P = 1013.2] { return getQsat(T, P); }), FpFault::Invalid);
    EXPECT_EQ(MathErrorLog::texts(), std::vector<std::string>{"pow: OVERFLOW error"});
}

TEST_F(EsatSingularities, OutsideTheOverflowRangeNothingIsReported) {
    // Just above −237.3 the power underflows to 0 without a fault.
    EXPECT_EQ(faultOf([T = -237.29] { return getEsat(T); }), std::nullopt);
    EXPECT_EQ(faultOf([T = -250.0] { return getEsat(T); }), std::nullopt);
    EXPECT_TRUE(MathErrorLog::texts().empty());
}

TEST(MathErrorReporter, DefaultWritesTheLineToStandardError) {
    const MathErrorReporter previous = setMathErrorReporter(nullptr);
    testing::internal::CaptureStderr();
    reportMathError("pow", "OVERFLOW");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "pow: OVERFLOW error\n");
    setMathErrorReporter(previous);
}

}  // namespace
}  // namespace valdenta
