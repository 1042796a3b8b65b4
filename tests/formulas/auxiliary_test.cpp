#include "formulas/auxiliary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "formulas/air.h"
#include "formulas/fpcheck.h"
#include "support.h"

namespace valdenta {
namespace {

using test::halfUnit;

constexpr char kTdewWarning[] = "getTdew: warning: \"e\" is 0.0 (hPa).\n";

TEST(AuxiliaryFormulas, ExactValues) {
    for (double P0 : {1013.25, 850.5}) EXPECT_EQ(getPz(P0, 15, 0), P0);
    EXPECT_EQ(getTdew(6.11), 0);
    for (double Tw : {-5.0, 12.5, 30.0}) EXPECT_EQ(getEpsy(Tw, Tw, 1013.2), getEsat(Tw));
    EXPECT_EQ(getScaledProduct(1, 1), 7.500000000000001e-5);
    EXPECT_NE(getScaledProduct(1, 1), 7.5e-5);
    EXPECT_EQ(getScaledProduct(4, 2), 6.000000000000001e-4);
    EXPECT_EQ(getW2fromW(1), 1.234 - 0.021);
    EXPECT_EQ(getWfromW2(1), 0.808 + 0.021);
}

struct Approx {
    std::string call;
    std::function<double()> value;
    double expected;
    int decimals;
};

TEST(AuxiliaryFormulas, ReferenceValues) {
    const std::vector<Approx> cases = {
        // getTdew uses 6.11 where getEsat uses 6.1078: a few thousandths below T.
        {"getTdew(getEsat(20))", [] { return getTdew(getEsat(20)); }, 19.994, 3},
        {"getW(10)", [] { return getW(10); }, 1.353, 3},
        {"getW2(10)", [] { return getW2(10); }, 1.643, 3},
        // Long-wave radiation at 20 °C and 10 hPa, and its steps.
        {"getTdew(10)", [] { return getTdew(10); }, 6.968, 3},
        {"getW(getTdew(10))", [] { return getW(getTdew(10)); }, 1.086, 3},
        {"getLdownClear(20, 10)", [] { return getLdownClear(20, 10); }, 312.8, 1},
        {"getLdown(20, 10, 1)", [] { return getLdown(20, 10, 1); }, 310.1, 1},
        {"getLdown(20, 10, 0)", [] { return getLdown(20, 10, 0); }, 395.1, 1},
        // ICAO standard atmosphere: 898.76 hPa at 1000 m.
        {"getPz(1013.25, 15, 1000)", [] { return getPz(1013.25, 15, 1000); }, 898.76, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.call);
        EXPECT_NEAR(c.value(), c.expected, halfUnit(c.decimals));
    }
}

TEST(AuxiliaryFormulas, SunshineCorrection) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(getLdown(20, 10, nan), getLdown(20, 10, 0));
    // At s = 1, C = 1.025: slightly below the clear-sky radiation.
    EXPECT_LT(getLdown(20, 10, 1), getLdownClear(20, 10));
    // At s = 0: 77.65 % of the way from clear sky to the black body.
    const double B = 5.67e-8 * std::pow(293.15, 4);
    EXPECT_NEAR(B, 418.7, halfUnit(1));
    const double clear = getLdownClear(20, 10);
    EXPECT_NEAR(getLdown(20, 10, 0), clear + 0.7765 * (B - clear), 1e-9);
}

TEST(AuxiliaryFormulas, InverseRoundTrips) {
    for (double T : {-20.0, 0.0, 15.0, 35.0}) {
        SCOPED_TRACE(T);
        for (double r : {0.05, 0.6, 1.0}) EXPECT_DOUBLE_EQ(getRhfromE(getEfromRh(r, T), T), r);
        for (double e : {0.5, 10.0, 42.0}) EXPECT_DOUBLE_EQ(getEfromRhov(getRhov(e, T), T), e);
    }
}

TEST(AuxiliaryFormulas, PrecipitableWaterScalesAgreeWithinThreePercent) {
    for (double Td = 0; Td <= 30; Td += 2.5) {
        SCOPED_TRACE(Td);
        EXPECT_NEAR(getW2fromW(getW(Td)) / getW2(Td), 1, 0.03);
        EXPECT_NEAR(getWfromW2(getW2(Td)) / getW(Td), 1, 0.03);
    }
}

TEST(AuxiliaryFormulas, SlopesFollowTheSaturationCurves) {
    // Clausius–Clapeyron with L/R_v stays within 1 % of the Tetens slope.
    constexpr double h = 1e-3;
    for (double T : {-20.0, 0.0, 20.0, 40.0}) {
        SCOPED_TRACE(T);
        const double des = (getEsat(T + h) - getEsat(T - h)) / (2 * h);
        EXPECT_NEAR(getDesdT(T) / des, 1, 0.01);
        const double dqs = (getQsat(T + h, 1013.2) - getQsat(T - h, 1013.2)) / (2 * h);
        EXPECT_NEAR(getDqsdT(T, 1013.2) / dqs, 1, 0.01);
    }
}

TEST(AuxiliaryFormulas, EquilibriumPartition) {
    for (double T : {-5.0, 20.0, 30.0}) {
        SCOPED_TRACE(T);
        const double A = 600, P = 1013.2;
        double Lu = 0, H = 0, LE = 0;
        const double Ts = getTsEq(A, T, P, Lu, H, LE);
        EXPECT_NEAR(Ts, T, 1e-9);
        const double blackBody = 5.67e-8 * std::pow(T + 273.15, 4);
        EXPECT_NEAR(Lu, blackBody, 1e-9);
        EXPECT_NEAR(H + LE, A - blackBody, 1e-9);
        const double g = getCp(T) / getLv(T);
        EXPECT_NEAR(H / LE, g / getDqsdT(T, P), 1e-12);
    }
}

TEST(AuxiliaryFormulas, EvaporationAtSaturation) {
    const double A = 15e6, T = 20;  // J/m² per day
    const double radiationTerm = getEpenman(A, T, 3, getEsat(T));
    EXPECT_GT(radiationTerm, 0);
    EXPECT_NEAR(getEpenman(A, T, 0, getEsat(T)), radiationTerm, 1e-12);  // no wind term
    EXPECT_NEAR(getEpt(A, T) / radiationTerm, 1.26, 1e-12);
    EXPECT_GT(getEpenman(A, T, 3, 10), radiationTerm);  // drier air evaporates more
}

class TdewWarning : public testing::TestWithParam<double> {};

TEST_P(TdewWarning, NonPositiveVapourPressureWarnsOnceOnStandardError) {
    const double e = GetParam();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    std::optional<FpFault> fault;
    try {
        checkedStep([e] {
            double v = e;
            materialise(v);
            return getTdew(v);
        });
    } catch (const FloatingPointError& error) {
        fault = error.fault();
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), kTdewWarning);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    // The logarithm then faults: of 0 a division by zero, of a negative an invalid operation.
    if (e == 0) {
        EXPECT_EQ(fault, FpFault::DivideByZero);
    } else if (e < 0) {
        EXPECT_EQ(fault, FpFault::Invalid);
    }
}

INSTANTIATE_TEST_SUITE_P(AuxiliaryFormulas, TdewWarning,
                         testing::Values(0.0, -0.0, -3.5,
                                         std::numeric_limits<double>::quiet_NaN()));

TEST(AuxiliaryFormulas, TdewOfPositivePressureWritesNothing) {
    testing::internal::CaptureStderr();
    EXPECT_NEAR(getTdew(10), 6.968, halfUnit(3));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
}  // namespace valdenta
