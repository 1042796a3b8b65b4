#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "calculator/calculator.h"
#include "formulas/errors.h"
#include "resultfile/resultfile.h"
#include "support.h"

namespace valdenta {
namespace {

using test::TempFolder;

/// Lines "label i,(unit),i" for i = 1 ... count, so each position reads as its own number.
std::vector<std::string> numberedLines(int count) {
    std::vector<std::string> lines;
    for (int i = 1; i <= count; ++i) lines.push_back("label " + std::to_string(i) + ",(unit)," + std::to_string(i));
    return lines;
}

std::string joined(const std::vector<std::string>& lines, const std::string& lineEnd) {
    std::string bytes;
    for (const std::string& line : lines) bytes += line + lineEnd;
    return bytes;
}

/// What numberedLines(22) reads as: each input takes the number of its line.
InputMemory numberedInputs() {
    InputMemory m;
    m.Ta = 1;
    m.Rh = 2;
    m.U = 3;
    m.P = 4;
    m.Albedo = 7;
    m.Ch = 8;
    m.Beta = 9;
    m.Sd = 13;
    m.Ld = 14;
    m.G = 20;
    return m;
}

struct ReadCase {
    const char* what;
    std::function<std::string()> bytes;
    std::function<void(InputMemory&)> expectedChange;  ///< from numberedInputs()
};

std::string withLine(int number, const std::string& line) {
    std::vector<std::string> lines = numberedLines(22);
    lines[static_cast<std::size_t>(number - 1)] = line;
    return joined(lines, "\r\n");
}

const ReadCase kReadCases[] = {
    {"CR LF line ends", [] { return joined(numberedLines(22), "\r\n"); }, [](InputMemory&) {}},
    {"line feeds alone", [] { return joined(numberedLines(22), "\n"); }, [](InputMemory&) {}},
    {"labels that contain commas", [] { return withLine(1, "a,b,,c,(x,y),1.5"); },
     [](InputMemory& m) { m.Ta = 1.5; }},
    {"text after the number", [] { return withLine(2, "相対湿度,(%),12.5abc"); },
     [](InputMemory& m) { m.Rh = 12.5; }},
    {"an empty value field", [] { return withLine(3, "風速,(m/s),"); }, [](InputMemory& m) { m.U = 0.0; }},
    {"blanks before the number", [] { return withLine(4, "x,, \t-3e1"); }, [](InputMemory& m) { m.P = -30.0; }},
    {"no number at all", [] { return withLine(7, "x,,abc"); }, [](InputMemory& m) { m.Albedo = 0.0; }},
    {"a value no input field would accept", [] { return withLine(2, "x,,150"); },
     [](InputMemory& m) { m.Rh = 150.0; }},
    {"an infinity as written for one", [] { return withLine(20, "x,,-INF"); },
     [](InputMemory& m) { m.G = -std::numeric_limits<double>::infinity(); }},
    {"the line ends at a NUL byte", [] { return withLine(8, std::string("x,,0.5\0,9", 9)); },
     [](InputMemory& m) { m.Ch = 0.5; }},
    {"derived lines are never examined", [] { return withLine(5, "no comma here"); }, [](InputMemory&) {}},
    {"the last line is never read", [] { return withLine(22, "no comma here"); }, [](InputMemory&) {}},
    {"exactly 21 lines", [] { return joined(numberedLines(21), "\r\n"); }, [](InputMemory&) {}},
    {"21 lines, the last without its line end",
     [] {
         std::string bytes = joined(numberedLines(21), "\n");
         bytes.pop_back();
         return bytes;
     },
     [](InputMemory&) {}},
    {"lines after the 22nd are ignored", [] { return joined(numberedLines(40), "\r\n"); }, [](InputMemory&) {}},
    {"CR LF inside a line drops the CR only", [] { return withLine(9, "x,,\r3.25\r"); },
     [](InputMemory& m) { m.Beta = 3.25; }},
    // Line 1 holds 1023 bytes before its last comma, so it takes two reads and
    // every later line moves one position down.
    {"a line over 1023 bytes counts as two",
     [] { return withLine(1, "a," + std::string(1021, 'x') + ",99"); },
     [](InputMemory& m) {
         m = InputMemory{};
         m.Ta = 0;  // "a,xxx...": no number after the comma
         m.Rh = 99;
         m.U = 2;
         m.P = 3;
         m.Albedo = 6;
         m.Ch = 7;
         m.Beta = 8;
         m.Sd = 12;
         m.Ld = 13;
         m.G = 19;
     }},
};

TEST(ReadResultBytes, ReadsTheInputsByLinePositionOnly) {
    for (const ReadCase& c : kReadCases) {
        SCOPED_TRACE(c.what);
        InputMemory expected = numberedInputs();
        c.expectedChange(expected);
        test::expectSameValues(expected, readResultBytes(c.bytes(), "test.csv"));
    }
}

struct RefusedCase {
    const char* what;
    std::function<std::string()> bytes;
    const char* reason;
};

const RefusedCase kRefusedCases[] = {
    {"an empty file", [] { return std::string(); }, "21行に足りません"},
    {"20 lines", [] { return joined(numberedLines(20), "\r\n"); }, "21行に足りません"},
    {"blank lines only", [] { return std::string(30, '\n'); }, "1行目にコンマがありません"},
    {"one long line", [] { return std::string(10000, ',') + "1\r\n"; }, "21行に足りません"},
    {"an input line without a comma", [] { return withLine(7, "アルベド 0.1"); }, "7行目にコンマがありません"},
    {"the only comma after a NUL byte", [] { return withLine(14, std::string("x\0,1", 4)); },
     "14行目にコンマがありません"},
    {"the comma beyond the 1023rd byte", [] { return withLine(1, std::string(1023, 'x') + ",1"); },
     "1行目にコンマがありません"},
};

TEST(ReadResultBytes, RefusesWhatIsNoResultFile) {
    for (const RefusedCase& c : kRefusedCases) {
        SCOPED_TRACE(c.what);
        try {
            readResultBytes(c.bytes(), "/tmp/x.csv");
            ADD_FAILURE() << "no error";
        } catch (const FileError& e) {
            EXPECT_EQ(std::string(e.what()),
                      std::string("ファイル「/tmp/x.csv」は結果ファイルではありません: ") + c.reason);
        }
    }
}

TEST(OpenResultFile, SavedInputsComeBackWithSixDecimalsAndRestoreRoundsOnlyTheState) {
    HeadlessCalculator h;
    h.calc.formCreate();
    h.calc.calculate();
    h.calc.state().Ta = 15.3712346;  // more decimals than the file keeps
    h.calc.state().Sd = 15.37;
    const CalcState saved = h.calc.state();
    TempFolder folder;
    saveResultFile(h.calc, folder.file("round.csv"));

    HeadlessCalculator other;
    other.calc.formCreate();
    const CalcState derivedBefore = other.calc.state();
    openResultFile(other.calc, folder.file("round.csv"));

    InputMemory expectedMemory = defaultInputs();
    expectedMemory.Ta = 15.371235;
    expectedMemory.Sd = 15.37;
    test::expectSameValues(expectedMemory, other.calc.memory());

    // Restore wrote 15.4 into both fields, and their change handlers stored it.
    CalcState expectedState = derivedBefore;
    expectedState.Ta = 15.4;
    expectedState.Sd = 15.4;
    test::expectSameValues(expectedState, other.calc.state());
    EXPECT_EQ(other.fields.text(1), "15.4");
    EXPECT_EQ(other.fields.text(10), "***");
    EXPECT_NE(saved.Ts, other.calc.state().Ts);  // derived lines of the file play no part
}

TEST(OpenResultFile, ReplacesTheMemorySlotAndRestores) {
    TempFolder folder;
    const std::string path = folder.file("in.csv");
    test::writeBytes(path, withLine(2, "相対湿度,(%),150"));
    HeadlessCalculator h;
    h.calc.formCreate();
    h.calc.calculate();
    h.calc.memorise();
    openResultFile(h.calc, path);
    InputMemory expected = numberedInputs();
    expected.Rh = 150;
    test::expectSameValues(expected, h.calc.memory());
    EXPECT_EQ(h.calc.state().Rh, 150.0);  // the field refuses 150.0, the state keeps the copy
    EXPECT_EQ(h.fields.text(2), "150.0");
    EXPECT_EQ(h.calc.state().G, 20.0);
}

TEST(OpenResultFile, NonAsciiFileNamesWorkBothWays) {
    TempFolder folder;
    const std::string path = folder.file("結果.csv");
    HeadlessCalculator h;
    h.calc.formCreate();
    h.fields.type(1, "21.5");
    saveResultFile(h.calc, path);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"結果.csv"});

    HeadlessCalculator other;
    other.calc.formCreate();
    openResultFile(other.calc, path);
    EXPECT_EQ(other.calc.memory().Ta, 21.5);
    EXPECT_EQ(other.calc.state().Ta, 21.5);
}

}  // namespace
}  // namespace valdenta
