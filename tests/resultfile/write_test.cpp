#include <gtest/gtest.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "calculator/calculator.h"
#include "resultfile/resultfile.h"
#include "support.h"

namespace valdenta {
namespace {

using test::TempFolder;

/// The lines of result file bytes, each with its CR LF.
std::vector<std::string> linesOf(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(bytes.substr(start));
            break;
        }
        lines.push_back(bytes.substr(start, end + 2 - start));
        start = end + 2;
    }
    return lines;
}

TEST(WriteResultFile, AfterCalculateWithTheDefaults) {
    HeadlessCalculator h;
    h.calc.formCreate();
    h.calc.calculate();
    TempFolder folder;
    saveResultFile(h.calc, folder.file("out.csv"));
    EXPECT_EQ(test::readBytes(folder.file("out.csv")), test::fixtureBytes("defaults_after_calculate.csv"));
    EXPECT_EQ(folder.names(), std::vector<std::string>{"out.csv"});
}

TEST(WriteResultFile, BeforeAnyCalculateTheDerivedLinesAreZero) {
    HeadlessCalculator h;
    h.calc.formCreate();
    EXPECT_EQ(resultFileBytes(h.calc.state()), test::fixtureBytes("defaults_at_start.csv"));
}

TEST(WriteResultFile, SaveAsNeitherCalculatesNorChangesAnything) {
    HeadlessCalculator h;
    h.calc.formCreate();
    h.calc.calculate();
    h.fields.type(1, "18");  // an input edited but not recalculated
    const test::CalculatorSnapshot before = test::snapshot(h);
    TempFolder folder;
    saveResultFile(h.calc, folder.file("out.csv"));
    test::expectUnchanged(before, h);
    const std::vector<std::string> lines = linesOf(test::readBytes(folder.file("out.csv")));
    ASSERT_EQ(lines.size(), 22u);
    EXPECT_TRUE(lines[0].ends_with(",18.000000\r\n")) << lines[0];
    EXPECT_TRUE(lines[9].ends_with(",28.095551\r\n")) << lines[9];  // Ts of the defaults
}

struct ValueText {
    double CalcState::*member;
    std::size_t line;  ///< 1 ... 22
    double value;
    const char* text;
};

const double kInf = std::numeric_limits<double>::infinity();
const double kNan = std::numeric_limits<double>::quiet_NaN();

const ValueText kValueTexts[] = {
    {&CalcState::Ta, 1, 15.0, "15.000000"},
    {&CalcState::P, 4, 1013.2, "1013.200000"},
    {&CalcState::Ch, 8, 0.001, "0.001000"},
    {&CalcState::G, 20, -50.0, "-50.000000"},
    {&CalcState::Bowen, 21, -999.0, "-999.000000"},  // the marker for LE = 0
    {&CalcState::Evap, 22, -0.0, "-0.000000"},
    {&CalcState::Qa, 6, 0.0000004, "0.000000"},
    {&CalcState::Ta, 1, 15.3712345, "15.371234"},  // the double lies just below the half
    {&CalcState::Ta, 1, 15.3712346, "15.371235"},
    {&CalcState::Sd, 13, 1e20, "100000000000000000000.000000"},
    {&CalcState::Ta, 1, kInf, "+INF"},
    {&CalcState::Ld, 14, -kInf, "-INF"},
    {&CalcState::Rh, 2, kNan, "+NAN"},
    {&CalcState::Ts, 10, -kNan, "-NAN"},
};

TEST(WriteResultFile, WritesEachValueWithSixDecimalsOnItsLine) {
    for (const ValueText& c : kValueTexts) {
        CalcState state;
        state.*c.member = c.value;
        const std::vector<std::string> lines = linesOf(resultFileBytes(state));
        ASSERT_EQ(lines.size(), 22u);
        const std::string& line = lines[c.line - 1];
        EXPECT_TRUE(line.ends_with("," + std::string(c.text) + "\r\n")) << c.text << " in " << line;
    }
}

TEST(WriteResultFile, NewFileGetsOrdinaryPermissions) {
    TempFolder folder;
    const mode_t previousMask = ::umask(027);
    writeResultFile(CalcState{}, folder.file("new.csv"));
    ::umask(previousMask);
    struct stat status {};
    ASSERT_EQ(::stat(folder.file("new.csv").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

TEST(WriteResultFile, ReplacedFileKeepsItsPermissions) {
    TempFolder folder;
    const std::string path = folder.file("old.csv");
    test::writeBytes(path, "old contents\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0604), 0);
    CalcState state;
    state.Ta = 7.0;
    writeResultFile(state, path);
    EXPECT_EQ(test::readBytes(path), resultFileBytes(state));
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0604u);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"old.csv"});
}

TEST(WriteResultFile, WritesThroughASymbolicLink) {
    TempFolder folder;
    test::writeBytes(folder.file("real.csv"), "old\r\n");
    ASSERT_EQ(::symlink("real.csv", folder.file("link.csv").c_str()), 0);
    writeResultFile(CalcState{}, folder.file("link.csv"));
    struct stat status {};
    ASSERT_EQ(::lstat(folder.file("link.csv").c_str(), &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode));
    EXPECT_EQ(test::readBytes(folder.file("real.csv")), resultFileBytes(CalcState{}));
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"link.csv", "real.csv"}));
}

TEST(WriteResultFile, WritesIntoAPipeInsteadOfReplacingIt) {
    TempFolder folder;
    const std::string path = folder.file("pipe");
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    const int reader = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    writeResultFile(CalcState{}, path);
    std::string received(4096, '\0');
    const ssize_t n = ::read(reader, received.data(), received.size());
    ::close(reader);
    ASSERT_GT(n, 0);
    received.resize(static_cast<std::size_t>(n));
    EXPECT_EQ(received, resultFileBytes(CalcState{}));
    struct stat status {};
    ASSERT_EQ(::lstat(path.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
}

}  // namespace
}  // namespace valdenta
