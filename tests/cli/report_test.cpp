#include "cli/report.h"
#include "text_lines.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>
#include <vector>

namespace valdenta::cli {
namespace {

/// A state whose values are easy to recognise: 1, 2, ... 22 in file order.
CalcState numberedState() {
    CalcState state;
    double v = 1.0;
    for (const StateValue& value : kStateValues) {
        state.*value.member = v++;
    }
    return state;
}

TEST(TextReport, NameValueWithWindowDecimalsAndLabel) {
    CalcState state = numberedState();
    state.Qa = 0.0063051;
    state.Ch = 0.001;
    state.Bowen = -999.0;  // shown, unlike the window's "***"
    const std::vector<std::string> text = lines(textReport(state, {26, -0.0004}));
    ASSERT_EQ(text.size(), 24u);
    EXPECT_EQ(text[0], "Ta               1.0  気温（℃)");
    EXPECT_EQ(text[1], "Rh               2.0  相対湿度(%)");
    EXPECT_EQ(text[5], "Qa            0.0063  比湿(kg/kg)");
    EXPECT_EQ(text[6], "Albedo          7.00  アルベド");
    EXPECT_EQ(text[7], "Ch           0.00100  顕熱バルク係数");
    EXPECT_EQ(text[9], "Ts              10.0  地表面温度(℃)");
    EXPECT_EQ(text[20], "Bowen       -999.000  ボーエン比");
    EXPECT_EQ(text[21], "Evap           22.00  蒸発速度(mm/day)");
    EXPECT_EQ(text[22], "");
    EXPECT_EQ(text[23], "solver: 26 passes, final imbalance -4e-04 W/m2");
}

TEST(JsonReport, NamesInFileOrderThenSolver) {
    CalcState state = numberedState();
    state.Ta = -0.0;
    state.Rh = std::numeric_limits<double>::infinity();
    state.U = -std::numeric_limits<double>::quiet_NaN();
    state.Qa = 0.006305069931833698;
    const std::vector<std::string> json = lines(jsonReport(state, {3, 1e-5}));
    ASSERT_EQ(json.size(), 25u);
    EXPECT_EQ(json[0], "{");
    EXPECT_EQ(json[1], "  \"Ta\": -0,");
    EXPECT_EQ(json[2], "  \"Rh\": \"+INF\",");
    EXPECT_EQ(json[3], "  \"U\": \"-NAN\",");
    EXPECT_EQ(json[4], "  \"P\": 4,");
    EXPECT_EQ(json[6], "  \"Qa\": 0.006305069931833698,");
    EXPECT_EQ(json[22], "  \"Evap\": 22,");
    EXPECT_EQ(json[23], "  \"solver\": {\"passes\": 3, \"imbalance\": 1e-05}");
    EXPECT_EQ(json[24], "}");
}

TEST(CsvReport, HeaderOfNamesAndOneRow) {
    const std::vector<std::string> csv = lines(csvReport(numberedState()));
    ASSERT_EQ(csv.size(), 2u);
    EXPECT_EQ(csv[0],
              "Ta,Rh,U,P,Ea,Qa,Albedo,Ch,Beta,Ts,EsTs,QsTs,Sd,Ld,Su,Lu,Rn,H,LE,G,Bowen,Evap");
    EXPECT_EQ(csv[1], "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22");
}

}  // namespace
}  // namespace valdenta::cli
