#include "formulas/solver.h"

#include <gtest/gtest.h>

#include <chrono>
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

using test::halfUnit;

struct Inputs {
    double Avail, U, Ta, Qa, P, Ch, Beta;
};

// Specific humidity of the air as the Calculate command derives it.
double airHumidity(double Rh, double Ta, double P) { return getQ(getEfromRh(Rh * 0.01, Ta), P); }

// The built-in defaults: Ta 15, Rh 60, U 2, P 1013.2, Albedo 0.1, Ch 0.001,
// Beta 0.2, Sd 300, Ld 300, G 50, so Avail = 300 − 30 + 300 − 50.
constexpr Inputs kDefaults{520, 2, 15, 0.006305069931833698, 1013.2, 0.001, 0.2};

// One solve with its passes; the outputs start as a sentinel so that an
// unwritten output shows.
struct Solve {
    static constexpr double kUnwritten = -999.25;
    double Ts = kUnwritten, Lu = kUnwritten, H = kUnwritten, LE = kUnwritten;
    SolveStats stats{-1, kUnwritten};
    std::vector<SolvePass> passes;

    Solve() = default;
    explicit Solve(const Inputs& in) { run(in); }

    void run(const Inputs& in) {
        Ts = solveTsTraced(in.Avail, in.U, in.Ta, in.Qa, in.P, in.Ch, in.Beta, Lu, H, LE, &stats,
                           &record, this);
    }

    bool outputsUnwritten() const {
        return Lu == kUnwritten && H == kUnwritten && LE == kUnwritten && stats.passes == -1;
    }

private:
    static void record(const SolvePass& pass, void* self) {
        static_cast<Solve*>(self)->passes.push_back(pass);
    }
};

struct PassRow {
    long pass;
    double T, R, step;
};

TEST(SolveTs, DefaultExamplePassByPass) {
    const Solve solve(kDefaults);
    const std::vector<PassRow> rows = {
        {1, 25, 31.302679, 10},
        {2, 35, -75.202180, -5},
        {3, 30, -19.963463, -5},
        {4, 25, 31.302679, 2.5},
        {5, 27.5, 6.129441, 2.5},
        {6, 30, -19.963463, -1.25},
        {7, 28.75, -6.797735, -1.25},
        {8, 27.5, 6.129441, 0.625},
        {9, 28.125, -0.304884, -0.3125},
        {10, 27.8125, 2.919526, 0.15625},
        {24, 28.095703125, -0.001976, -0.00030517578125},
        {25, 28.09539794921875, 0.001178, 0.000152587890625},
        {26, 28.095550537109375, -0.000399, -0.0000762939453125},
    };
    ASSERT_EQ(solve.passes.size(), 26u);
    for (const PassRow& row : rows) {
        SCOPED_TRACE(row.pass);
        const SolvePass& pass = solve.passes[row.pass - 1];
        EXPECT_EQ(pass.pass, row.pass);
        EXPECT_EQ(pass.T, row.T);
        EXPECT_NEAR(pass.imbalance, row.R, halfUnit(6));
        EXPECT_EQ(pass.step, row.step);
    }
    // Each pass starts where the previous one moved to.
    for (size_t i = 1; i < solve.passes.size(); ++i)
        EXPECT_EQ(solve.passes[i].T, solve.passes[i - 1].T + solve.passes[i - 1].step);

    EXPECT_DOUBLE_EQ(solve.Ts, 28.095550537109375);
    EXPECT_NEAR(solve.Lu, 466.944886, halfUnit(6));
    EXPECT_NEAR(solve.H, 32.161964, halfUnit(6));
    EXPECT_NEAR(solve.LE, 20.893549, halfUnit(6));
    // The final move to 28.0954742431640625 is not the result.
    EXPECT_EQ(solve.passes.back().T + solve.passes.back().step, 28.0954742431640625);
    EXPECT_NEAR(solve.Ts, solve.passes.back().T, halfUnit(9));

    EXPECT_EQ(solve.stats.passes, 26);
    EXPECT_EQ(solve.stats.imbalance, solve.passes.back().imbalance);
}

TEST(SolveTs, PlainCallGivesTheTracedResults) {
    const Solve traced(kDefaults);
    double Lu = 0, H = 0, LE = 0;
    SolveStats stats;
    const Inputs& d = kDefaults;
    const double Ts = solveTs(d.Avail, d.U, d.Ta, d.Qa, d.P, d.Ch, d.Beta, Lu, H, LE, &stats);
    EXPECT_EQ(Ts, traced.Ts);
    EXPECT_EQ(Lu, traced.Lu);
    EXPECT_EQ(H, traced.H);
    EXPECT_EQ(LE, traced.LE);
    EXPECT_EQ(stats.passes, traced.stats.passes);
    EXPECT_EQ(stats.imbalance, traced.stats.imbalance);
    EXPECT_EQ(solveTs(d.Avail, d.U, d.Ta, d.Qa, d.P, d.Ch, d.Beta, Lu, H, LE), Ts);
}

struct Example {
    std::string name;
    Inputs in;
    long passes;
    double Ts;
    std::optional<double> Lu;
    double H, LE;
};

TEST(SolveTs, WorkedExamples) {
    const std::vector<Example> examples = {
        {"cold, snow-covered, first imbalance negative",
         {100 - 80 + 200 - 0, 1, -10, airHumidity(80, -10, 1013.2), 1013.2, 0.002, 0.1},
         22, -17.757568, 241.221021, -20.898253, -0.322388},
        {"no wind: radiation only",
         {520, 0, 15, kDefaults.Qa, 1013.2, 0.001, 0.2},
         22, 36.310425, 520.000221, 0, 0},
        {"night without ground heat flux",
         {0 - 0 + 300 - 0, 2, 15, kDefaults.Qa, 1013.2, 0.001, 0.2},
         27, 3.224030, std::nullopt, -28.921147, -1.883592},
        {"wet, windy surface",
         {800 - 160 + 400 - 80, 3, 25, airHumidity(50, 25, 1000), 1000, 0.005, 1},
         35, 26.118937, 454.809597, 19.626514, 485.564029},
    };
    for (const Example& ex : examples) {
        SCOPED_TRACE(ex.name);
        const Solve solve(ex.in);
        EXPECT_EQ(solve.stats.passes, ex.passes);
        EXPECT_LE(std::fabs(solve.stats.imbalance), 0.0005);
        EXPECT_NEAR(solve.Ts, ex.Ts, halfUnit(6));
        if (ex.Lu) {
            EXPECT_NEAR(solve.Lu, *ex.Lu, halfUnit(6));
        }
        EXPECT_NEAR(solve.H, ex.H, halfUnit(6));
        EXPECT_NEAR(solve.LE, ex.LE, halfUnit(6));
    }
}

TEST(SolveTs, NegativeFirstImbalanceKeepsTheStep) {
    const Solve solve({220, 1, -10, airHumidity(80, -10, 1013.2), 1013.2, 0.002, 0.1});
    const std::vector<double> firstTrials = {0, -20, -10, -15, -20, -17.5};
    ASSERT_GE(solve.passes.size(), firstTrials.size());
    for (size_t i = 0; i < firstTrials.size(); ++i) EXPECT_EQ(solve.passes[i].T, firstTrials[i]);
    EXPECT_NEAR(solve.passes.back().T + solve.passes.back().step, -17.758789, halfUnit(6));
}

TEST(SolveTs, NoWindComesWithinToleranceOfRadiativeEquilibrium) {
    const Solve solve({520, 0, 15, kDefaults.Qa, 1013.2, 0.001, 0.2});
    const double equilibrium = std::pow(520 / 5.67e-8, 0.25) - 273.15;
    EXPECT_NEAR(equilibrium, 36.310392, halfUnit(6));
    EXPECT_NE(solve.Ts, equilibrium);
    EXPECT_NEAR(solve.Ts, equilibrium, 1e-4);
}

TEST(SolveTs, NoEvaporationWithoutEfficiency) {
    Inputs in = kDefaults;
    in.Beta = 0;
    in.Qa = 0.5;  // whatever the humidity
    const Solve solve(in);
    EXPECT_EQ(solve.LE, 0);
}

// Faults end the solve before its outputs are written.
class SolveTsFaults : public testing::Test {
protected:
    void SetUp() override { previous_ = setMathErrorReporter(&count); reports = 0; }
    void TearDown() override { setMathErrorReporter(previous_); }

    // The fault of a solve that must fail, after checking that it wrote nothing.
    FpFault faultOf(const Inputs& in) {
        try {
            solve.run(in);
        } catch (const FloatingPointError& error) {
            EXPECT_TRUE(solve.outputsUnwritten());
            return error.fault();
        }
        ADD_FAILURE() << "no fault; Ts = " << solve.Ts;
        return FpFault::Invalid;
    }

    static void count(const std::string&) { ++reports; }
    static inline int reports = 0;
    Solve solve;

private:
    MathErrorReporter previous_ = nullptr;
};

TEST_F(SolveTsFaults, TrialTemperatureAtTheZeroDivisorOfEsat) {
    Inputs in = kDefaults;
    in.Ta = -247.3;  // first trial −237.3
    EXPECT_EQ(faultOf(in), FpFault::DivideByZero);
    EXPECT_TRUE(solve.passes.empty());
}

TEST_F(SolveTsFaults, TrialTemperatureInTheOverflowRangeOfEsatInALaterPass) {
    // Without wind and with negative available energy the trials fall by 20:
    // −180, −200, −220, then −240 reports the power's overflow and fails.
    Inputs in = kDefaults;
    in.Avail = -1;
    in.U = 0;
    in.Ta = -190;
    EXPECT_EQ(faultOf(in), FpFault::Invalid);
    EXPECT_EQ(solve.passes.size(), 3u);
    EXPECT_EQ(reports, 1);
}

TEST_F(SolveTsFaults, AirPropertiesAtAbsoluteZero) {
    Inputs in = kDefaults;
    in.Ta = -273.15;
    EXPECT_EQ(faultOf(in), FpFault::DivideByZero);
    EXPECT_TRUE(solve.passes.empty());
}

TEST_F(SolveTsFaults, LoopInvariantCoefficientOverflowsInTheFirstPass) {
    // The coefficients cp·rho·Ch·U and lv·rho·Beta·Ch·U are the same on every
    // pass; their overflow belongs to the first pass all the same, and is not
    // lost to an invalid operation that the infinities lead to later.
    Inputs bulk = kDefaults;
    bulk.Ch = 1e300;
    bulk.U = 1e10;
    Inputs dense = kDefaults;  // rho ≈ 3e307 just above absolute zero at 1e300 hPa
    dense.Ta = -273.14999999;
    dense.P = 1e300;
    for (const Inputs& in : {bulk, dense}) {
        solve = Solve();
        EXPECT_EQ(faultOf(in), FpFault::Overflow);
        EXPECT_TRUE(solve.passes.empty());
    }
}

TEST_F(SolveTsFaults, NotANumberInputFailsInsteadOfGivingNaN) {
    Inputs in = kDefaults;
    in.Ta = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(faultOf(in), FpFault::Invalid);
}

struct NonConverging {
    std::string name;
    Inputs in;
};

TEST(SolveTs, GivesUpAfterThePassLimit) {
    const std::vector<NonConverging> cases = {
        // R = Avail − Lu < 0 at every temperature: the trials fall for ever.
        {"no wind, negative available energy", {-1, 0, 15, kDefaults.Qa, 1013.2, 0.001, 0.2}},
        {"no transfer, negative available energy", {-1, 2, 15, kDefaults.Qa, 1013.2, 0, 0.2}},
        // Near 10⁷ °C one unit in the last place of T moves Lu by some 10⁵
        // W/m²: the balance lies between two doubles, and the step halves
        // to nothing without closing it.
        {"balance between two adjacent doubles", {5.67e20, 0, 1e7, 0, 1013.2, 0.001, 0.2}},
    };
    for (const NonConverging& c : cases) {
        SCOPED_TRACE(c.name);
        Solve solve;
        const auto start = std::chrono::steady_clock::now();
        try {
            solve.run(c.in);
            ADD_FAILURE() << "converged to " << solve.Ts;
        } catch (const NonConvergenceError& error) {
            EXPECT_EQ(error.passes(), kMaxSolverPasses);
        }
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_EQ(solve.passes.size(), static_cast<size_t>(kMaxSolverPasses));
        EXPECT_TRUE(solve.outputsUnwritten());
    }
}

}  // namespace
}  // namespace valdenta
