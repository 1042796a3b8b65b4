// Runs valdenta-cli as a user would: arguments, standard input, output files,
// and checks exit status, standard output and standard error.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "calculator/calculate.h"
#include "calculator/display.h"
#include "resultfile/resultfile.h"
#include "text_lines.h"

namespace valdenta {
namespace {

namespace fs = std::filesystem;
using cli::lines;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::vector<std::string> splitPlain(const std::string& line) {
    std::vector<std::string> cells;
    std::istringstream in(line);
    for (std::string cell; std::getline(in, cell, ',');) {
        cells.push_back(cell);
    }
    return cells;
}

class Program : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::path(::testing::TempDir()) / "valdenta-cli.XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
    }

    std::string read(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    /// Runs the program in the test's folder; `args` is shell text.
    Outcome run(const std::string& args, const std::string& input = "") const {
        write("stdin.txt", input);
        const std::string command = "cd '" + dir_.string() + "' && '" VALDENTA_CLI "' " + args +
                                    " <stdin.txt >stdout.txt 2>stderr.txt";
        const int status = std::system(command.c_str());
        Outcome result;
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = read("stdout.txt");
        result.err = read("stderr.txt");
        return result;
    }

    /// The files in the test's folder besides the ones run() makes.
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_)) {
            const std::string name = entry.path().filename().string();
            if (name != "stdin.txt" && name != "stdout.txt" && name != "stderr.txt") {
                names.push_back(name);
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path dir_;
};

CalcState calculated(const InputMemory& inputs) {
    CalcState state;
    copyInputs(inputs, state);
    calculateState(state);
    return state;
}

// --- calc -------------------------------------------------------------------

TEST_F(Program, CalcWithDefaultsShowsTheWindowsNumbers) {
    const Outcome text = run("calc");
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.err, "");
    // The second column holds what the window's fields show after Calculate.
    const std::vector<std::string> shown = {
        "15.0",  "60.0", "2.0",  "1013.2", "10.2",  "0.0063", "0.10", "0.00100",
        "0.20",  "28.1", "38.0", "0.0237", "300.0", "300.0",  "30.0", "466.9",
        "103.1", "32.2", "20.9", "50.0",   "1.539", "0.73"};
    const std::vector<std::string> table = lines(text.out);
    ASSERT_EQ(table.size(), 24u);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        std::istringstream row(table[i]);
        std::string name, value;
        row >> name >> value;
        EXPECT_EQ(name, kStateValues[i].name);
        EXPECT_EQ(value, shown[i]) << name;
    }
    EXPECT_EQ(table[0], "Ta              15.0  気温（℃)");
    EXPECT_EQ(table[23].rfind("solver: 26 passes, final imbalance -0.00039897", 0), 0u)
        << table[23];

    const Outcome json = run("calc --format json");
    ASSERT_EQ(json.status, 0);
    EXPECT_NE(json.out.find("\n  \"Ea\": 10.231370196462942,\n"), std::string::npos);
    EXPECT_NE(json.out.find("\n  \"Ts\": 28.095550537109375,\n"), std::string::npos);
    EXPECT_NE(json.out.find("\n  \"Evap\": 0.73263"), std::string::npos);
    EXPECT_NE(json.out.find("\n  \"solver\": {\"passes\": 26, \"imbalance\": -0.00039897"),
              std::string::npos);

    const Outcome csv = run("calc --format csv");
    ASSERT_EQ(csv.status, 0);
    const std::vector<std::string> rows = lines(csv.out);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(splitPlain(rows[1])[9], "28.095550537109375");
}

TEST_F(Program, CalcOptionsSetInputsExactlyAsGiven) {
    const Outcome run1 = run("calc --Ta ' 15.37 ' --Albedo 0.126 --format csv");
    ASSERT_EQ(run1.status, 0) << run1.err;
    InputMemory inputs = defaultInputs();
    inputs.Ta = 15.37;  // no rounding to the field's 15.4
    inputs.Albedo = 0.126;
    const CalcState expected = calculated(inputs);
    const std::vector<std::string> values = splitPlain(lines(run1.out)[1]);
    ASSERT_EQ(values.size(), 22u);
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(values[i], formatShortest(expected.*kStateValues[i].member))
            << kStateValues[i].name;
    }
}

TEST_F(Program, CalcSaveWritesWhatSaveAsWrites) {
    const Outcome saved =
        run("calc --Ta 30 --Rh 20 --U 5 --Albedo 0.2 --Ch 0.005 --Beta 1 --Sd 100 "
            "--G 0 --save result.csv --format json");
    ASSERT_EQ(saved.status, 0) << saved.err;
    const InputMemory inputs{30, 20, 5, 1013.2, 0.2, 0.005, 1, 100, 300, 0};
    const CalcState state = calculated(inputs);
    EXPECT_LT(state.Bowen, -1.0);  // a negative ratio is printed, not hidden
    EXPECT_EQ(read("result.csv"), resultFileBytes(state));
    EXPECT_NE(saved.out.find("\"Bowen\": " + formatShortest(state.Bowen) + ","), std::string::npos);
}

TEST_F(Program, CalcOpenStartsFromTheFilesInputsUnchecked) {
    CalcState state;
    copyInputs(InputMemory{15.37, 150, 2.04, 1000, 0.1, 0.001, 0.2, 300, 300, 50}, state);
    writeResultFile(state, path("in.csv"));

    const Outcome opened = run("calc --open in.csv --format csv");
    ASSERT_EQ(opened.status, 0) << opened.err;
    const CalcState expected = calculated(readResultFile(path("in.csv")));
    EXPECT_EQ(expected.Rh, 150.0);  // a field would refuse it; Open takes it
    const std::vector<std::string> values = splitPlain(lines(opened.out)[1]);
    ASSERT_EQ(values.size(), 22u);
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(values[i], formatShortest(expected.*kStateValues[i].member))
            << kStateValues[i].name;
    }

    // An option given beside --open wins over the file's value.
    const Outcome overridden = run("calc --open in.csv --Rh 40 --format csv");
    ASSERT_EQ(overridden.status, 0);
    EXPECT_EQ(splitPlain(lines(overridden.out)[1])[1], "40");
    EXPECT_EQ(splitPlain(lines(overridden.out)[1])[0], "15.37");
}

TEST_F(Program, CalcErrorsGoToStandardErrorOnly) {
    struct Case {
        const char* args;
        int status;
        const char* err;
    };
    const Case cases[] = {
        {"calc --Rh 150", 2, "valdenta-cli: --Rh \"150\" is refused (accepted: 0 <= x <= 100)\n"},
        {"calc --Ta 12abc", 2,
         "valdenta-cli: --Ta \"12abc\" is not a number (accepted: any number)\n"},
        {"calc --P ''", 2, "valdenta-cli: --P \"\" is not a number (accepted: x > 0)\n"},
        {"calc --Rh +NAN", 2, "valdenta-cli: --Rh \"+NAN\" is refused (accepted: 0 <= x <= 100)\n"},
        {"calc --Ta -237.3", 1, "valdenta-cli: 浮動小数点ｴﾗｰ: ｾﾞﾛによる除算.\n"},
        {"calc --Ta -237.3 --save never.csv", 1, "valdenta-cli: 浮動小数点ｴﾗｰ: ｾﾞﾛによる除算.\n"},
        {"calc --Ta +NAN", 1, "valdenta-cli: 無効な浮動小数点操作.\n"},
    };
    for (const Case& c : cases) {
        const Outcome result = run(c.args);
        EXPECT_EQ(result.status, c.status) << c.args;
        EXPECT_EQ(result.err, c.err) << c.args;
        EXPECT_EQ(result.out, "") << c.args;
    }
    EXPECT_EQ(files(), std::vector<std::string>{});  // nothing saved after an error
}

TEST_F(Program, UsageAndFileErrorsExitWithTwo) {
    for (const char* args :
         {"", "calc --format xml", "calc --Ta", "calc --open missing.csv",
          "calc --save no-such-folder/out.csv", "frobnicate", "batch missing.csv",
          "batch --set Rh=150", "batch --set Foo=1", "batch --threads 0"}) {
        const Outcome result = run(args);
        EXPECT_EQ(result.status, 2) << args;
        EXPECT_NE(result.err, "") << args;
        EXPECT_EQ(result.out, "") << args;
    }
    EXPECT_NE(run("calc --open missing.csv").err.find("missing.csv"), std::string::npos);
}

TEST_F(Program, HelpAndVersion) {
    for (const char* args : {"--help", "calc --help", "batch --help"}) {
        const Outcome help = run(args);
        EXPECT_EQ(help.status, 0) << args;
        EXPECT_NE(help.out.find("Usage: valdenta-cli"), std::string::npos) << args;
    }
    EXPECT_NE(run("calc --help").out.find("--Rh X"), std::string::npos);
    EXPECT_NE(run("batch --help").out.find("--threads"), std::string::npos);
    const Outcome version = run("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "valdenta-cli 0.1\n");
}

// --- batch ------------------------------------------------------------------

TEST_F(Program, BatchOfTheExampleDay) {
    const Outcome result = run("batch '" VALDENTA_EXAMPLES "/hourly.csv'");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    std::ifstream in(VALDENTA_EXAMPLES "/hourly.csv");
    const std::vector<std::string> input =
        lines(std::string(std::istreambuf_iterator<char>(in), {}));
    const std::vector<std::string> output = lines(result.out);
    ASSERT_EQ(output.size(), input.size());
    EXPECT_EQ(output[0], input[0] + ",Ea,Qa,Ts,EsTs,QsTs,Su,Lu,Rn,H,LE,Bowen,Evap,status");
    for (std::size_t i = 1; i < input.size(); ++i) {
        EXPECT_EQ(output[i].rfind(input[i] + ",", 0), 0u) << output[i];
        EXPECT_EQ(splitPlain(output[i]).size(), 25u);
        EXPECT_TRUE(output[i].ends_with(",ok")) << output[i];
    }
}

TEST_F(Program, BatchRowsMatchCalcAndKeepOtherColumns) {
    const std::string input =
        "id,Ta,note,G\r\n"
        "1,20,\"a, b\",10\r\n"
        "2,25,\"say \"\"x\"\"\nnext line\",-5\r\n";
    write("in.csv", input);
    const Outcome result = run("batch in.csv --set Rh=40 --set Ta=1");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err,
              "valdenta-cli: no column for these inputs, every row uses Rh=40 (--set), U=2 "
              "(default), P=1013.2 (default), Albedo=0.1 (default), Ch=0.001 (default), Beta=0.2 "
              "(default), Sd=300 (default), Ld=300 (default)\n"
              "valdenta-cli: --set not used for Ta: the input has a column\n");

    const auto calcCells = [&](const std::string& options) {
        const std::vector<std::string> values =
            splitPlain(lines(run("calc --Rh 40 " + options + " --format csv").out)[1]);
        std::string cells;
        for (const char* name :
             {"Ea", "Qa", "Ts", "EsTs", "QsTs", "Su", "Lu", "Rn", "H", "LE", "Bowen", "Evap"}) {
            for (std::size_t i = 0; i < kStateValues.size(); ++i) {
                if (kStateValues[i].name == name) {
                    cells += values[i] + ",";
                }
            }
        }
        return cells;
    };
    EXPECT_EQ(result.out,
              "id,Ta,note,G,Ea,Qa,Ts,EsTs,QsTs,Su,Lu,Rn,H,LE,Bowen,Evap,status\n"
              "1,20,\"a, b\",10," +
                  calcCells("--Ta 20 --G 10") +
                  "ok\n"
                  "2,25,\"say \"\"x\"\"\nnext line\",-5," +
                  calcCells("--Ta 25 --G -5") + "ok\n");
}

TEST_F(Program, BatchBadRowsKeepTheirPlace) {
    write("in.csv",
          "n,Ta,Rh\n"
          "1,20,50\n"
          "2,20,150\n"
          "3,x,50\n"
          "4,-237.3,50\n"
          "5,20\n"
          "6,a\"b,50\n"
          "7,21,51\n");
    const Outcome result = run("batch in.csv --threads 2");
    EXPECT_EQ(result.status, 3);
    const std::vector<std::string> output = lines(result.out);
    ASSERT_EQ(output.size(), 8u);
    const std::vector<std::string> statusEnds = {
        ",ok",
        "is refused (accepted: 0 <= x <= 100)\"",
        "is not a number (accepted: any number)\"",
        ",浮動小数点ｴﾗｰ: ｾﾞﾛによる除算.",
        ",\"2 cells, the header has 3\"",
        "the rest of the line was skipped",
        ",ok",
    };
    for (std::size_t i = 0; i < statusEnds.size(); ++i) {
        EXPECT_EQ(output[i + 1].rfind(std::to_string(i + 1) + ",", 0), 0u) << output[i + 1];
        EXPECT_TRUE(output[i + 1].ends_with(statusEnds[i])) << output[i + 1];
    }
}

TEST_F(Program, BatchLineEndsAndStreams) {
    const std::string lf = "Ta,Rh\n10,70\n20,50\n";
    std::string crlf;
    for (const char c : lf) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    const Outcome fromLf = run("batch", lf);  // standard input to standard output
    ASSERT_EQ(fromLf.status, 0) << fromLf.err;
    EXPECT_EQ(lines(fromLf.out).size(), 3u);
    EXPECT_EQ(run("batch - -o -", crlf).out, fromLf.out);
    EXPECT_EQ(run("batch", "\xEF\xBB\xBF" + crlf).out, fromLf.out);
    EXPECT_EQ(run("batch", "Ta,Rh\n10,70\n20,50").out, fromLf.out);  // no line end at the end

    const Outcome headerOnly = run("batch", "Ta,Rh\n");
    EXPECT_EQ(headerOnly.status, 0);
    EXPECT_EQ(headerOnly.out, "Ta,Rh,Ea,Qa,Ts,EsTs,QsTs,Su,Lu,Rn,H,LE,Bowen,Evap,status\n");
}

TEST_F(Program, BatchOfAnEmptyInputIsEmpty) {
    const Outcome toStdout = run("batch");
    EXPECT_EQ(toStdout.status, 0);
    EXPECT_EQ(toStdout.out, "");
    EXPECT_EQ(toStdout.err, "");

    write("empty.csv", "");
    const Outcome toFile = run("batch empty.csv -o out.csv");
    EXPECT_EQ(toFile.status, 0);
    EXPECT_EQ(files(), (std::vector<std::string>{"empty.csv", "out.csv"}));
    EXPECT_EQ(read("out.csv"), "");
}

TEST_F(Program, BatchOutputFileAppearsWholeOrNotAtAll) {
    write("in.csv", "Ta,Rh\n10,70\n");
    const Outcome ok = run("batch in.csv -o out.csv");
    ASSERT_EQ(ok.status, 0) << ok.err;
    EXPECT_EQ(ok.out, "");
    EXPECT_EQ(read("out.csv"), run("batch in.csv").out);
    EXPECT_EQ(files(), (std::vector<std::string>{"in.csv", "out.csv"}));

    // A header that cannot be used: the earlier output stays as it was.
    write("bad.csv", "Ta,Rh,Ta\n10,70,11\n");
    const std::string before = read("out.csv");
    const Outcome bad = run("batch bad.csv -o out.csv");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err, "valdenta-cli: the header names the input Ta in more than one column\n");
    EXPECT_EQ(read("out.csv"), before);
    EXPECT_EQ(files(), (std::vector<std::string>{"bad.csv", "in.csv", "out.csv"}));
}

TEST_F(Program, BatchOutputThroughLinksAndIntoPipes) {
    write("in.csv", "Ta,Rh\n10,70\n");
    const std::string expected = run("batch in.csv").out;

    // A link stays a link; the file behind it is replaced and keeps its permissions.
    fs::create_directory(dir_ / "real");
    write("real/out.csv", "old");
    fs::permissions(dir_ / "real/out.csv", fs::perms(0640));
    fs::create_symlink("real/out.csv", dir_ / "link.csv");
    ASSERT_EQ(run("batch in.csv -o link.csv").status, 0);
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.csv"));
    EXPECT_EQ(read("real/out.csv"), expected);
    EXPECT_EQ(fs::status(dir_ / "real/out.csv").permissions(), fs::perms(0640));

    // A pipe cannot be replaced: it gets the output as it is written.  The
    // pipe is read without blocking so that the test ends even if the
    // program never opens it.
    ASSERT_EQ(::mkfifo(path("out.fifo").c_str(), 0600), 0);
    const int pipe = ::open(path("out.fifo").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(pipe, 0);
    std::atomic<bool> finished{false};
    Outcome toPipe;
    std::thread runner([&] {
        toPipe = run("batch in.csv -o out.fifo");
        finished = true;
    });
    std::string received;
    for (;;) {
        char buffer[4096];
        const ssize_t got = ::read(pipe, buffer, sizeof buffer);
        if (got > 0) {
            received.append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0 && finished) {
            break;  // no writer left and the program has ended
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    runner.join();
    ::close(pipe);
    EXPECT_EQ(toPipe.status, 0) << toPipe.err;
    EXPECT_EQ(received, expected);
    EXPECT_TRUE(fs::is_fifo(dir_ / "out.fifo"));
    EXPECT_EQ(files(), (std::vector<std::string>{"in.csv", "link.csv", "out.fifo", "real"}));
}

TEST_F(Program, BatchEndedBySignalLeavesNoFile) {
    // The input is a pipe that stays open: the run is still going when the signal comes.
    ASSERT_EQ(::mkfifo(path("in.fifo").c_str(), 0600), 0);
    const std::string input = path("in.fifo");
    const std::string output = path("out.csv");
    const char* argv[] = {VALDENTA_CLI, "batch", input.c_str(), "-o", output.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    ASSERT_EQ(
        ::posix_spawn(&pid, VALDENTA_CLI, &actions, nullptr, const_cast<char**>(argv), environ), 0);
    posix_spawn_file_actions_destroy(&actions);

    const int fifo = ::open(input.c_str(), O_WRONLY);  // waits for the program to open it
    ASSERT_GE(fifo, 0);
    ASSERT_EQ(::write(fifo, "Ta\n1\n", 5), 5);
    // The output header in the temporary file shows that the run is under way.
    bool started = false;
    for (int i = 0; i < 1000 && !started; ++i) {
        for (const std::string& name : files()) {
            started = started || (name.starts_with(".out.csv.") && fs::file_size(dir_ / name) > 0);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(started);
    ::kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ::close(fifo);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    EXPECT_EQ(files(), std::vector<std::string>{"in.fifo"});
}

TEST_F(Program, BatchSameOutputWithOneAndTwoThreads) {
    // Enough rows for many blocks, some of them failing.
    std::string input = "station,Ta,Rh,U,Sd,note\n";
    for (int i = 0; i < 12000; ++i) {
        input += "S" + std::to_string(i % 17) + "," + std::to_string(-10 + i % 45) + "," +
                 (i % 997 == 0 ? std::string("150") : std::to_string(i % 101)) + "," +
                 std::to_string(i % 7) + "." + std::to_string(i % 10) + "," +
                 std::to_string(i % 900) + "," + (i % 5 == 0 ? "\"x, y\"" : "") + "\n";
    }
    write("in.csv", input);
    const Outcome one = run("batch in.csv --threads 1");
    const Outcome two = run("batch in.csv --threads 2 -o two.csv");
    EXPECT_EQ(one.status, 3);
    EXPECT_EQ(two.status, 3);
    EXPECT_EQ(lines(one.out).size(), 12001u);
    EXPECT_EQ(read("two.csv"), one.out);
}

}  // namespace
}  // namespace valdenta
