#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "calculator/calculator.h"
#include "resultfile/resultfile.h"
#include "support.h"

namespace valdenta {
namespace {

using test::TempFolder;

/// The message of the FileError that `command` throws, or a note that it threw none.
std::string fileErrorOf(const std::function<void()>& command) {
    try {
        command();
    } catch (const FileError& e) {
        return e.what();
    }
    return "(no FileError)";
}

/// A calculator after start-up, Calculate and an edit, so that state, memory
/// slot and fields all differ from their defaults.
void prepare(HeadlessCalculator& h) {
    h.calc.formCreate();
    h.calc.calculate();
    h.fields.type(2, "55");
    h.calc.memorise();
    h.fields.type(1, "12");
}

struct OpenFailure {
    const char* what;
    std::function<std::string(const TempFolder&)> setUp;  ///< returns the path to open
    const char* message;  ///< with {} for the path
};

std::string withPath(std::string message, const std::string& path) {
    return message.replace(message.find("{}"), 2, path);
}

const OpenFailure kOpenFailures[] = {
    {"a missing file", [](const TempFolder& f) { return f.file("none.csv"); },
     "ファイル「{}」を開けません: ファイルが見つかりません"},
    {"a folder", [](const TempFolder& f) { return f.path(); }, "ファイル「{}」を開けません: ファイルではなくフォルダです"},
    {"a path through a missing folder", [](const TempFolder& f) { return f.file("none/x.csv"); },
     "ファイル「{}」を開けません: ファイルが見つかりません"},
    {"a path through a file",
     [](const TempFolder& f) {
         test::writeBytes(f.file("plain"), "");
         return f.file("plain/x.csv");
     },
     "ファイル「{}」を開けません: パスの途中にフォルダでないものがあります"},
    {"an empty file",
     [](const TempFolder& f) {
         test::writeBytes(f.file("empty.csv"), "");
         return f.file("empty.csv");
     },
     "ファイル「{}」は結果ファイルではありません: 21行に足りません"},
    {"a file cut short",
     [](const TempFolder& f) {
         const std::string whole = test::fixtureBytes("defaults_after_calculate.csv");
         test::writeBytes(f.file("short.csv"), whole.substr(0, whole.size() / 2));
         return f.file("short.csv");
     },
     "ファイル「{}」は結果ファイルではありません: 21行に足りません"},
    {"an input line without a comma",
     [](const TempFolder& f) {
         std::string bytes = test::fixtureBytes("defaults_after_calculate.csv");
         // Line 13, "全天日射量,(W/m2),300.000000": its commas become blanks.
         const std::size_t start = bytes.find("(W/m2)") - 1;
         bytes[start] = ' ';
         bytes[bytes.find(',', start)] = ' ';
         test::writeBytes(f.file("nocomma.csv"), bytes);
         return f.file("nocomma.csv");
     },
     "ファイル「{}」は結果ファイルではありません: 13行目にコンマがありません"},
    {"a name that is not UTF-8", [](const TempFolder& f) { return f.file("bad\xFF.csv"); },
     "ファイル「{}」を開けません: ファイルが見つかりません"},
};

TEST(OpenResultFile, FailureChangesNothing) {
    for (const OpenFailure& c : kOpenFailures) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        const std::string path = c.setUp(folder);
        HeadlessCalculator h;
        prepare(h);
        const test::CalculatorSnapshot before = test::snapshot(h);
        std::string shownPath = path;
        if (const std::size_t bad = shownPath.find('\xFF'); bad != std::string::npos) {
            shownPath.replace(bad, 1, "\xEF\xBF\xBD");  // U+FFFD in the message
        }
        EXPECT_EQ(fileErrorOf([&] { openResultFile(h.calc, path); }), withPath(c.message, shownPath));
        test::expectUnchanged(before, h);
    }
}

struct SaveFailure {
    const char* what;
    std::function<std::string(const TempFolder&)> setUp;  ///< returns the path to save to
    const char* message;
};

const SaveFailure kSaveFailures[] = {
    {"a folder as the file",
     [](const TempFolder& f) {
         ::mkdir(f.file("sub").c_str(), 0700);
         return f.file("sub");
     },
     "ファイル「{}」を開けません: ファイルではなくフォルダです"},
    {"a path through a missing folder", [](const TempFolder& f) { return f.file("none/x.csv"); },
     "ファイル「{}」を開けません: 保存先のフォルダが見つかりません"},
    {"a path through a file",
     [](const TempFolder& f) {
         test::writeBytes(f.file("plain"), "");
         return f.file("plain/x.csv");
     },
     "ファイル「{}」を開けません: パスの途中にフォルダでないものがあります"},
    {"a file name too long", [](const TempFolder& f) { return f.file(std::string(300, 'n') + ".csv"); },
     "ファイル「{}」を開けません: ファイル名が長すぎます"},
};

TEST(SaveResultFile, FailureLeavesTheFolderAsItWas) {
    for (const SaveFailure& c : kSaveFailures) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        const std::string path = c.setUp(folder);
        const std::vector<std::string> namesBefore = folder.names();
        HeadlessCalculator h;
        prepare(h);
        const test::CalculatorSnapshot before = test::snapshot(h);
        EXPECT_EQ(fileErrorOf([&] { saveResultFile(h.calc, path); }), withPath(c.message, path));
        test::expectUnchanged(before, h);
        EXPECT_EQ(folder.names(), namesBefore);
    }
}

/// Runs `body` in a child process and returns its exit status (-1 if it did
/// not exit).  The child reports what went wrong on standard error.
int exitStatusOfChild(const std::function<int()>& body) {
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        int status = 99;
        try {
            status = body();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "child: unexpected %s\n", e.what());
        }
        std::fflush(stderr);
        ::_exit(status);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

/// 0 when `command` throws FileError with `expected`, else 1 after a note on standard error.
int expectFileErrorInChild(const std::function<void()>& command, const std::string& expected) {
    const std::string actual = fileErrorOf(command);
    if (actual == expected) return 0;
    std::fprintf(stderr, "child: expected \"%s\", got \"%s\"\n", expected.c_str(), actual.c_str());
    return 1;
}

TEST(SaveResultFile, FullDiskKeepsThePreviousFile) {
    TempFolder folder;
    const std::string path = folder.file("kept.csv");
    const std::string previous = test::fixtureBytes("defaults_at_start.csv");
    test::writeBytes(path, previous);
    HeadlessCalculator h;
    prepare(h);

    // A file size limit of 100 bytes makes the write fail part way, as a full disk would.
    const int status = exitStatusOfChild([&] {
        const rlimit limit{100, 100};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
        std::signal(SIGXFSZ, SIG_IGN);
        return expectFileErrorInChild([&] { saveResultFile(h.calc, path); },
                                      "ファイル「" + path + "」に書き込めません: ファイルサイズの上限を超えました");
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(test::readBytes(path), previous);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"kept.csv"});
}

TEST(ResultFile, PermissionsAreHonouredForAnOrdinaryUser) {
    TempFolder folder;
    ASSERT_EQ(::chmod(folder.path().c_str(), 0777), 0);
    const std::string readOnly = folder.file("readonly.csv");
    const std::string unreadable = folder.file("unreadable.csv");
    const std::string previous = test::fixtureBytes("defaults_at_start.csv");
    test::writeBytes(readOnly, previous);
    test::writeBytes(unreadable, previous);
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(unreadable.c_str(), 0), 0);
    HeadlessCalculator h;
    prepare(h);

    const int status = exitStatusOfChild([&] {
        // As root, become the unprivileged user "nobody" so that permissions apply.
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 2;
        const test::CalculatorSnapshot before = test::snapshot(h);
        int failures = expectFileErrorInChild([&] { saveResultFile(h.calc, readOnly); },
                                              "ファイル「" + readOnly + "」を開けません: アクセスが許可されていません");
        failures += expectFileErrorInChild([&] { openResultFile(h.calc, unreadable); },
                                           "ファイル「" + unreadable +
                                               "」を開けません: アクセスが許可されていません");
        test::expectUnchanged(before, h);
        return failures + (::testing::Test::HasFailure() ? 10 : 0);
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(test::readBytes(readOnly), previous);
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"readonly.csv", "unreadable.csv"}));
}

}  // namespace
}  // namespace valdenta
