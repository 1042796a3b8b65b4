// The calculator without a window: start-up, Memory/Restore, Calculate, typed
// input and the write-back of the refreshes into the inputs.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "calculator/calculator.h"
#include "calculator/inputs.h"
#include "calculator/refresh.h"
#include "formulas/errors.h"

namespace valdenta {
namespace {

std::vector<std::string> textsInRefreshOrder(const HeadlessCalculator& hc) {
    std::vector<std::string> out;
    for (const auto& f : kDisplayFields) out.push_back(hc.fields.text(f.edit));
    return out;
}

std::vector<double> derivedValues(const CalcState& s) {
    return {s.Ea, s.Qa, s.Ts, s.EsTs, s.QsTs, s.Su, s.Lu, s.Rn, s.H, s.LE, s.Bowen, s.Evap};
}

const std::vector<std::string> kStartupTexts{
    "15.0", "60.0", "2.0", "1013.2", "***", "***", "0.10", "0.00100", "0.20", "***", "***", "***",
    "300.0", "300.0", "***", "***", "***", "***", "***", "50.0", "***", "***", "***", "***", "***", "***"};

const std::vector<std::string> kDefaultCalculateTexts{
    "15.0",  "60.0",  "2.0",   "1013.2", "10.2",  "0.0063", "0.10", "0.00100", "0.20",
    "28.1",  "38.0",  "0.0237", "300.0", "300.0", "30.0",   "466.9", "103.1",  "32.2",
    "20.9",  "50.0",  "1.539", "0.73",  "103.1", "32.2",   "20.9",  "50.0"};

// The fault of the floating-point error that `command` throws.
template <class F>
FpFault faultOf(F&& command) {
    try {
        command();
    } catch (const FloatingPointError& e) {
        return e.fault();
    }
    ADD_FAILURE() << "no floating-point error";
    return FpFault::Invalid;
}

class CalculatorTest : public ::testing::Test {
protected:
    void SetUp() override { hc.calc.formCreate(); }
    CalcState& s() { return hc.calc.state(); }
    void type(int edit, const std::string& text) { hc.fields.type(edit, text); }

    HeadlessCalculator hc;
};

TEST_F(CalculatorTest, StartUpShowsDefaultsAndHidesOutputs) {
    EXPECT_EQ(textsInRefreshOrder(hc), kStartupTexts);
    const InputMemory d = defaultInputs();
    for (const auto& in : kInputValues) {
        SCOPED_TRACE(std::string(in.name));
        EXPECT_EQ(hc.calc.memory().*in.memory, d.*in.memory);
        EXPECT_EQ(s().*in.state, d.*in.memory);
    }
    for (double v : derivedValues(s())) EXPECT_EQ(v, 0.0);
}

TEST_F(CalculatorTest, CalculateWithDefaults) {
    hc.calc.calculate();
    EXPECT_NEAR(s().Ea, 10.231370196462942, 1e-12);
    EXPECT_NEAR(s().Qa, 0.0063050699318337, 1e-15);
    EXPECT_EQ(s().Su, 30.0);
    EXPECT_EQ(s().Ts, 28.095550537109375);
    EXPECT_NEAR(s().EsTs, 38.006404, 5e-7);
    EXPECT_NEAR(s().QsTs, 0.0236675896922247, 1e-15);
    EXPECT_NEAR(s().Lu, 466.944886, 5e-7);
    EXPECT_NEAR(s().Rn, 103.0551, 5e-5);
    EXPECT_NEAR(s().H, 32.161964, 5e-7);
    EXPECT_NEAR(s().LE, 20.893549, 5e-7);
    EXPECT_NEAR(s().Bowen, 1.53933, 5e-6);
    EXPECT_NEAR(s().Evap, 0.732631, 5e-7);
    EXPECT_EQ(s().Rn, 300.0 + 300.0 - 30.0 - s().Lu);
    EXPECT_EQ(textsInRefreshOrder(hc), kDefaultCalculateTexts);
    EXPECT_EQ(hc.calc.lastSolve().passes, 26);
}

TEST_F(CalculatorTest, ZeroLatentHeatGivesBowenMarker) {
    type(9, "0");  // evaporation efficiency 0
    hc.calc.calculate();
    EXPECT_EQ(s().LE, 0.0);
    EXPECT_EQ(s().Bowen, -999.0);
    EXPECT_EQ(s().Evap, 0.0);
    EXPECT_EQ(hc.fields.text(21), "***");
    EXPECT_EQ(hc.fields.text(26), "0.00");
}

TEST_F(CalculatorTest, NegativeBowenIsStoredButHidden) {
    // A surface cooler than the air while water evaporates: H < 0 < LE.
    const std::vector<std::pair<int, std::string>> inputs{
        {1, "30"}, {2, "20"}, {3, "5"}, {4, "1013.2"}, {7, "0.2"},
        {8, "0.005"}, {9, "1"}, {13, "100"}, {14, "300"}, {20, "0"}};
    for (const auto& [edit, text] : inputs) type(edit, text);
    hc.calc.calculate();
    EXPECT_LT(s().H, 0.0);
    EXPECT_GT(s().LE, 0.0);
    EXPECT_NEAR(s().Bowen, -1.035, 5e-4);
    EXPECT_EQ(hc.fields.text(21), "***");
}

TEST_F(CalculatorTest, FaultInFirstStepChangesNothing) {
    hc.calc.calculate();
    const CalcState before = s();
    const auto textsBefore = textsInRefreshOrder(hc);
    type(1, "-237.3");  // the saturation vapour pressure divides by zero here
    EXPECT_EQ(faultOf([&] { hc.calc.calculate(); }), FpFault::DivideByZero);
    EXPECT_EQ(derivedValues(s()), derivedValues(before));
    auto expectedTexts = textsBefore;
    expectedTexts[0] = "-237.3";  // only what was typed
    EXPECT_EQ(textsInRefreshOrder(hc), expectedTexts);
}

TEST_F(CalculatorTest, ZeroPressureFromMemoryStopsAtSpecificHumidity) {
    hc.calc.calculate();
    const CalcState before = s();
    hc.calc.memory().P = 0.0;  // as a result file can hold; the field would refuse it
    hc.calc.restore();
    EXPECT_EQ(s().P, 0.0);
    EXPECT_EQ(hc.fields.text(4), "0.0");
    // e / 0 divides by zero and then inf / -inf is invalid: the division is reported.
    EXPECT_EQ(faultOf([&] { hc.calc.calculate(); }), FpFault::DivideByZero);
    EXPECT_EQ(s().Ea, before.Ea);  // recomputed, same inputs: stored again
    EXPECT_EQ(s().Qa, before.Qa);  // the failing step keeps its old value
    EXPECT_EQ(hc.fields.text(6), "***");
}

TEST_F(CalculatorTest, EarlierStepsKeepNewValuesAfterAFault) {
    hc.calc.memory().Rh = 50.0;
    hc.calc.memory().P = 0.0;
    hc.calc.restore();
    const double oldQa = s().Qa;
    EXPECT_THROW(hc.calc.calculate(), FloatingPointError);
    EXPECT_NEAR(s().Ea, 0.5 * 17.052284, 1e-6);  // step 1 stored its new value
    EXPECT_EQ(s().Qa, oldQa);
}

TEST_F(CalculatorTest, RefusedHumidityKeepsLastAcceptedValue) {
    type(2, "1");
    type(2, "15");
    type(2, "150");
    EXPECT_EQ(s().Rh, 15.0);
    EXPECT_EQ(hc.fields.text(2), "150");
    hc.calc.memorise();
    EXPECT_EQ(hc.calc.memory().Rh, 15.0);  // the value behind the text, not the text
    hc.calc.calculate();
    EXPECT_EQ(hc.fields.text(2), "15.0");
    EXPECT_EQ(s().Rh, 15.0);
}

TEST_F(CalculatorTest, BackspacingPressureStopsAtLastAcceptedValue) {
    const std::vector<std::pair<std::string, double>> steps{
        {"1013.", 1013}, {"1013", 1013}, {"101", 101}, {"10", 10}, {"1", 1}, {"", 1},
        {"1", 1},        {"10", 10},     {"100", 100}, {"1000", 1000}};
    for (const auto& [text, expected] : steps) {
        SCOPED_TRACE("text \"" + text + "\"");
        type(4, text);
        EXPECT_EQ(s().P, expected);
    }
}

TEST_F(CalculatorTest, EmptyFieldsStoreZeroWhereZeroIsAccepted) {
    for (int edit : {1, 2, 3, 7, 8, 9}) type(edit, "");
    EXPECT_EQ(s().Ta, 0.0);
    EXPECT_EQ(s().Rh, 0.0);
    EXPECT_EQ(s().U, 0.0);
    EXPECT_EQ(s().Albedo, 0.0);
    EXPECT_EQ(s().Ch, 0.0);
    EXPECT_EQ(s().Beta, 0.0);
}

TEST_F(CalculatorTest, LoneMinusStoresNegativeZeroWind) {
    type(3, "-");
    EXPECT_EQ(s().U, 0.0);
    EXPECT_TRUE(std::signbit(s().U));
    type(3, "-5");
    EXPECT_TRUE(std::signbit(s().U));
    EXPECT_EQ(s().U, 0.0);
}

TEST_F(CalculatorTest, CalculateRoundsTypedInputsForTheNextRun) {
    type(1, "15.37");
    EXPECT_EQ(s().Ta, 15.37);
    hc.calc.calculate();
    const double tsWith1537 = s().Ts;
    EXPECT_EQ(hc.fields.text(1), "15.4");
    EXPECT_EQ(s().Ta, 15.4);
    hc.calc.calculate();
    EXPECT_NE(s().Ts, tsWith1537) << "the second run computes with 15.4";
    EXPECT_EQ(s().Ta, 15.4);

    type(7, "0.126");
    hc.calc.calculate();
    EXPECT_EQ(s().Su, 300 * 0.126);
    EXPECT_EQ(hc.fields.text(7), "0.13");
    EXPECT_EQ(s().Albedo, 0.13);
}

TEST_F(CalculatorTest, RefusedRoundedTextsLeaveValuesAlone) {
    hc.calc.memory().Rh = 150.0;  // out of the field's range, from a file
    hc.calc.restore();
    EXPECT_EQ(hc.fields.text(2), "150.0");
    EXPECT_EQ(s().Rh, 150.0);

    type(4, "0.04");
    EXPECT_EQ(s().P, 0.04);
    hc.calc.calculate();
    EXPECT_EQ(hc.fields.text(4), "0.0");
    EXPECT_EQ(s().P, 0.04);
    EXPECT_EQ(s().Rh, 150.0);
}

TEST_F(CalculatorTest, RestoreWritesOnlyChangedTexts) {
    hc.calc.memory().U = 2.04;  // the field already shows 2.0
    hc.calc.restore();
    EXPECT_EQ(hc.fields.text(3), "2.0");
    EXPECT_EQ(s().U, 2.04);

    hc.calc.memory().Ta = 15.37;
    hc.calc.restore();  // 15.0 -> 15.4: the handler stores the rounded value
    EXPECT_EQ(s().Ta, 15.4);
    hc.calc.restore();  // 15.4 again: no change, no handler
    EXPECT_EQ(s().Ta, 15.37);
    EXPECT_EQ(hc.calc.memory().Ta, 15.37);
}

TEST_F(CalculatorTest, MemoryAndRestore) {
    hc.calc.calculate();
    const CalcState calculated = s();
    hc.calc.memorise();
    EXPECT_EQ(textsInRefreshOrder(hc), kDefaultCalculateTexts) << "Memory rewrites no field";
    type(1, "20");
    type(20, "-10");
    hc.calc.restore();
    EXPECT_EQ(s().Ta, 15.0);
    EXPECT_EQ(s().G, 50.0);
    EXPECT_EQ(derivedValues(s()), derivedValues(calculated));
    EXPECT_EQ(textsInRefreshOrder(hc), kStartupTexts);
}

TEST_F(CalculatorTest, NaNText) {
    type(1, "+NAN");
    EXPECT_TRUE(std::isnan(s().Ta));
    EXPECT_EQ(faultOf([&] { type(2, "+NAN"); }), FpFault::Invalid);
    EXPECT_EQ(s().Rh, 60.0);
    EXPECT_EQ(faultOf([&] { type(4, "-NAN"); }), FpFault::Invalid);
    EXPECT_EQ(s().P, 1013.2);
}

TEST_F(CalculatorTest, InfinitiesAreOrdinaryValuesForTheChecks) {
    type(4, "+INF");
    EXPECT_EQ(s().P, INFINITY);
    type(3, "-INF");
    EXPECT_EQ(s().U, 2.0);
    type(1, "1e999");
    EXPECT_EQ(s().Ta, INFINITY);
    type(1, "1e-999");
    EXPECT_EQ(s().Ta, 0.0);
}

TEST_F(CalculatorTest, NaNFromMemoryEndsTheRestoreAtItsField) {
    hc.calc.memory().Rh = std::nan("");
    hc.calc.memory().U = 3.0;
    EXPECT_EQ(faultOf([&] { hc.calc.restore(); }), FpFault::Invalid);
    EXPECT_EQ(hc.fields.text(2), "+NAN");
    EXPECT_EQ(hc.fields.text(3), "2.0") << "fields after the failing one are not written";
}

TEST(InputChecks, BoundsAreExactAndNaNIsAnInvalidOperation) {
    const double inf = INFINITY;
    struct Case {
        InputCheck check;
        double x;
        bool accepted;
    };
    const Case cases[] = {
        {InputCheck::Any, -inf, true},          {InputCheck::Any, -1e300, true},
        {InputCheck::Percent, -0.0, true},      {InputCheck::Percent, 100.0, true},
        {InputCheck::Percent, 100.0000001, false}, {InputCheck::Percent, -5e-324, false},
        {InputCheck::NonNegative, -0.0, true},  {InputCheck::NonNegative, inf, true},
        {InputCheck::NonNegative, -inf, false}, {InputCheck::Positive, 0.0, false},
        {InputCheck::Positive, -0.0, false},    {InputCheck::Positive, 0.001, true},
        {InputCheck::Positive, inf, true},      {InputCheck::Fraction, 1.0, true},
        {InputCheck::Fraction, 1.01, false},    {InputCheck::Fraction, 0.0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(rangeText(c.check)) + ", x = " + std::to_string(c.x));
        EXPECT_EQ(accepts(c.check, c.x), c.accepted);
        EXPECT_EQ(inRange(c.check, c.x), c.accepted);
    }
    for (InputCheck check : {InputCheck::Percent, InputCheck::NonNegative, InputCheck::Positive,
                             InputCheck::Fraction}) {
        EXPECT_FALSE(inRange(check, std::nan("")));
        EXPECT_EQ(faultOf([&] { accepts(check, -std::nan("")); }), FpFault::Invalid);
    }
    EXPECT_TRUE(accepts(InputCheck::Any, std::nan("")));
}

}  // namespace
}  // namespace valdenta
