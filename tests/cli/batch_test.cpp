#include "cli/batch.h"

#include <gtest/gtest.h>

#include <sstream>

#include "calculator/calculate.h"
#include "calculator/display.h"
#include "text_lines.h"

namespace valdenta::cli {
namespace {

/// The twelve derived values of `state` after Calculate, as the batch writes them.
std::string derivedCells(CalcState state) {
    calculateState(state);
    std::string cells;
    for (const StateValue& value : kDerivedValues) {
        cells += formatShortest(state.*value.member) + ",";
    }
    return cells;
}

RowBlock blockOf(const std::vector<std::vector<std::string>>& rows,
                 RecordFault lastFault = RecordFault::None) {
    RowBlock block;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (const std::string& cell : rows[i]) {
            block.addCell(cell);
        }
        block.endRow(i + 1 == rows.size() ? lastFault : RecordFault::None);
    }
    return block;
}

TEST(DerivedValues, TheTwelveNotInputsInFileOrder) {
    std::vector<StateValue> expected;
    for (const StateValue& value : kStateValues) {
        if (inputFieldNamed(value.name) == nullptr) {
            expected.push_back(value);
        }
    }
    ASSERT_EQ(expected.size(), kDerivedValues.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(kDerivedValues[i].name, expected[i].name);
        EXPECT_EQ(kDerivedValues[i].member, expected[i].member) << expected[i].name;
    }
}

TEST(PlanBatch, InputColumnsByNameOthersPassedThrough) {
    InputFill fill;
    fill.values.G = 0.0;
    fill.given[9] = true;  // G from --set
    fill.given[0] = true;  // Ta from --set, but there is a column
    const BatchPlan plan = planBatch({"time", "Ta", " Rh ", "note, with comma", "ta"}, fill);
    EXPECT_EQ(plan.columns, 5u);
    EXPECT_EQ(plan.fieldOfColumn[0], nullptr);
    EXPECT_EQ(plan.fieldOfColumn[1], inputFieldNamed("Ta"));
    EXPECT_EQ(plan.fieldOfColumn[2], inputFieldNamed("Rh"));
    EXPECT_EQ(plan.fieldOfColumn[4], nullptr);  // names are case-sensitive
    EXPECT_EQ(plan.start.G, 0.0);
    EXPECT_EQ(plan.start.P, 1013.2);
    EXPECT_EQ(plan.outputHeader,
              "time,Ta, Rh ,\"note, with comma\",ta,"
              "Ea,Qa,Ts,EsTs,QsTs,Su,Lu,Rn,H,LE,Bowen,Evap,status\n");
    EXPECT_EQ(fillNotice(plan, fill),
              "valdenta-cli: no column for these inputs, every row uses U=2 (default), "
              "P=1013.2 (default), Albedo=0.1 (default), Ch=0.001 (default), Beta=0.2 (default), "
              "Sd=300 (default), Ld=300 (default), G=0 (--set)\n"
              "valdenta-cli: --set not used for Ta: the input has a column\n");
}

TEST(PlanBatch, NothingToSayWhenEveryInputHasAColumn) {
    const BatchPlan plan =
        planBatch({"G", "Ld", "Sd", "Beta", "Ch", "Albedo", "P", "U", "Rh", "Ta"}, InputFill{});
    EXPECT_EQ(fillNotice(plan, InputFill{}), "");
}

TEST(PlanBatch, RefusesAnInputNamedTwice) {
    EXPECT_THROW(planBatch({"Ta", "Rh", " Ta"}, InputFill{}), HeaderError);
}

TEST(ProcessBlock, EveryRowOnItsOwnInOrder) {
    const BatchPlan plan = planBatch({"station", "Ta", "Rh"}, InputFill{});
    RowBlock block = blockOf(
        {
            {"A", "20", "50"},
            {"B", "20", "150"},
            {"C", "12abc", "50"},
            {"D", "-237.3", "50"},
            {"E", "20"},
            {"F", "20", "50", "extra"},
            {"\"G\"", " 15 ", "60"},
            {"H", "", "50"},
            {"I"},
        },
        RecordFault::StrayQuote);
    processBlock(plan, block);

    CalcState a;
    copyInputs(defaultInputs(), a);
    a.Ta = 20;
    a.Rh = 50;
    CalcState g;
    copyInputs(defaultInputs(), g);
    const std::string none = ",,,,,,,,,,,,";
    const std::vector<std::string> expected = {
        "A,20,50," + derivedCells(a) + "ok",
        "B,20,150," + none + "\"Rh: \"\"150\"\" is refused (accepted: 0 <= x <= 100)\"",
        "C,12abc,50," + none + "\"Ta: \"\"12abc\"\" is not a number (accepted: any number)\"",
        "D,-237.3,50," + none + "浮動小数点ｴﾗｰ: ｾﾞﾛによる除算.",
        "E,20,," + none + "\"2 cells, the header has 3\"",
        "F,20,50," + none + "\"4 cells, the header has 3\"",
        "\"\"\"G\"\"\", 15 ,60," + derivedCells(g) + "ok",
        "H,,50," + none + "\"Ta: \"\"\"\" is not a number (accepted: any number)\"",
        "I,,," + none +
            "broken quoting (a quote inside an unquoted cell or text after a closing "
            "quote); the rest of the line was skipped",
    };
    EXPECT_EQ(lines(block.out), expected);
    EXPECT_EQ(block.failedRows, 7u);
}

TEST(ProcessBlock, RowsStartFromTheFilledInputs) {
    InputFill fill;
    fill.values.Beta = 0.0;  // no evaporation: LE 0, Bowen -999
    const BatchPlan plan = planBatch({"Ta"}, fill);
    RowBlock block = blockOf({{"15"}});
    processBlock(plan, block);
    CalcState expected;
    copyInputs(fill.values, expected);
    EXPECT_EQ(block.out, "15," + derivedCells(expected) + "ok\n");
    EXPECT_NE(block.out.find(",-999,0,ok"), std::string::npos);
}

}  // namespace
}  // namespace valdenta::cli
