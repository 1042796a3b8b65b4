// Fuzz target: any bytes as the input CSV of the batch command.
//
// The batch runs as the program runs it (runBatch on an input file, output to
// a file, two worker threads and blocks of two records so that short inputs
// already pass through several blocks).  Its input and output are then read
// with a small RFC 4180 reader of this file, written independently of the
// program's own:
// - an input whose header record is broken or names an input twice is
//   refused as a whole (exit status 2) and leaves no output file;
// - otherwise the output holds the header and exactly one record for every
//   input record after it, each with the header's cells and 13 more (the
//   twelve derived values and the status); a record without broken quoting
//   comes back with its cells as read, padded or cut to the header's count;
// - the exit status is 0 exactly when every status cell says "ok", else 3.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "calculator/inputs.h"
#include "cli/batch_run.h"

namespace {

/// The twelve derived values and the status follow the input cells.
constexpr std::size_t kAddedCells = 13;

struct Record {
    std::vector<std::string> cells;
    bool broken = false;  ///< broken quoting: the cells stop at the fault
};

/// RFC 4180 records: comma between cells, CR, LF or CR LF between records,
/// double quotes around a cell that holds any of them, "" for a quote inside.
/// An empty line is no record.  A quote inside an unquoted cell, text after a
/// closing quote, or the end of the input inside quotes breaks the record;
/// the rest of its line is skipped.
class CsvRecords {
public:
    explicit CsvRecords(std::string_view bytes) {
        for (const char c : bytes) step(c);
        finish();
    }
    const std::vector<Record>& records() const { return records_; }

private:
    enum class State { CellStart, Plain, Quoted, QuoteInQuoted, SkipLine };

    static bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

    void step(char c) {
        switch (state_) {
            case State::CellStart:
                if (c == '"') {
                    state_ = State::Quoted;
                    inRecord_ = true;
                } else if (c == ',') {
                    endCell();
                } else if (isLineEnd(c)) {
                    if (inRecord_) endRecord(false);  // after a comma: a last, empty cell
                } else {
                    cell_ += c;
                    state_ = State::Plain;
                    inRecord_ = true;
                }
                break;
            case State::Plain:
                if (c == ',') {
                    endCell();
                } else if (isLineEnd(c)) {
                    endRecord(false);
                } else if (c == '"') {
                    breakRecord();
                } else {
                    cell_ += c;
                }
                break;
            case State::Quoted:
                if (c == '"') {
                    state_ = State::QuoteInQuoted;
                } else {
                    cell_ += c;
                }
                break;
            case State::QuoteInQuoted:
                if (c == '"') {
                    cell_ += '"';
                    state_ = State::Quoted;
                } else if (c == ',') {
                    endCell();
                } else if (isLineEnd(c)) {
                    endRecord(false);
                } else {
                    breakRecord();
                }
                break;
            case State::SkipLine:
                if (isLineEnd(c)) state_ = State::CellStart;
                break;
        }
    }

    void finish() {
        if (state_ == State::Quoted) {
            current_.broken = true;
            records_.push_back(current_);
        } else if (state_ != State::SkipLine && inRecord_) {
            endRecord(false);
        }
    }

    void endCell() {
        current_.cells.push_back(cell_);
        cell_.clear();
        inRecord_ = true;
        state_ = State::CellStart;
    }

    void endRecord(bool broken) {
        if (!broken) current_.cells.push_back(cell_);
        current_.broken = broken;
        records_.push_back(current_);
        current_ = Record{};
        cell_.clear();
        inRecord_ = false;
        state_ = State::CellStart;
    }

    void breakRecord() {
        endRecord(true);
        state_ = State::SkipLine;
    }

    State state_ = State::CellStart;
    bool inRecord_ = false;
    std::string cell_;
    Record current_;
    std::vector<Record> records_;
};

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "batch_csv_fuzzer: %s\n", what.c_str());
    std::abort();
}

std::string_view withoutBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

/// Whether a header cell names one of the ten inputs that an earlier cell named.
bool namesAnInputTwice(const std::vector<std::string>& header) {
    std::set<std::string_view> named;
    for (const std::string& cell : header) {
        const std::string_view name = withoutBlanks(cell);
        for (const valdenta::InputField& field : valdenta::kInputFields) {
            if (name == field.name && !named.insert(name).second) return true;
        }
    }
    return false;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/// A folder of this process for the input and output files, in memory where
/// possible; removed when the process exits.
const std::filesystem::path& workFolder() {
    static const std::filesystem::path* const folder = [] {
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        auto* path = new std::filesystem::path(base / ("valdenta-batch-fuzz-" + std::to_string(::getpid())));
        std::filesystem::create_directories(*path);
        return path;
    }();
    static const bool removedAtExit = std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(*folder, ignored);
    }) == 0;
    (void)removedAtExit;
    return *folder;
}

struct BatchResult {
    int status;
    bool outputWritten;
    std::string output;
};

BatchResult runOn(std::string_view input) {
    const auto inPath = workFolder() / "in.csv";
    const auto outPath = workFolder() / "out.csv";
    std::filesystem::remove(outPath);
    std::ofstream(inPath, std::ios::binary).write(input.data(), static_cast<std::streamsize>(input.size()));

    valdenta::cli::BatchSettings settings;
    settings.input = inPath.string();
    settings.output = outPath.string();
    settings.threads = 2;
    settings.blockRows = 2;
    settings.blockBytes = 64;
    std::FILE* notices = std::fopen("/dev/null", "w");
    if (notices == nullptr) fail("cannot open /dev/null");
    const int status = valdenta::cli::runBatch(settings, notices);
    std::fclose(notices);

    const bool written = std::filesystem::exists(outPath);
    return {status, written, written ? readFile(outPath) : std::string()};
}

void checkRows(const std::vector<Record>& in, const std::vector<Record>& out, int status) {
    const std::size_t columns = in.front().cells.size();
    if (out.size() != in.size()) {
        fail(std::to_string(in.size() - 1) + " input rows gave " +
             std::to_string(out.size() == 0 ? 0 : out.size() - 1) + " output rows");
    }
    bool allOk = true;
    for (std::size_t row = 0; row < out.size(); ++row) {
        const Record& record = out[row];
        if (record.broken) fail("output record " + std::to_string(row + 1) + " has broken quoting");
        if (record.cells.size() != columns + kAddedCells) {
            fail("output record " + std::to_string(row + 1) + " has " + std::to_string(record.cells.size()) +
                 " cells, expected " + std::to_string(columns + kAddedCells));
        }
        if (row == 0) {
            if (record.cells.back() != "status") fail("the output header does not end in status");
            continue;
        }
        const bool ok = record.cells.back() == "ok";
        if (in[row].broken && ok) fail("a row with broken quoting is ok in row " + std::to_string(row));
        allOk = allOk && ok;
        for (std::size_t column = 0; column < columns && !in[row].broken; ++column) {
            const std::string expected = column < in[row].cells.size() ? in[row].cells[column] : "";
            if (record.cells[column] != expected) {
                fail("row " + std::to_string(row) + ", column " + std::to_string(column + 1) +
                     ": the cell does not come back as read");
            }
        }
    }
    const int expectedStatus = allOk ? valdenta::cli::kBatchAllRowsOk : valdenta::cli::kBatchSomeRowsFailed;
    if (status != expectedStatus) {
        fail("exit status " + std::to_string(status) + ", expected " + std::to_string(expectedStatus));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const BatchResult result = runOn(input);

    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (input.substr(0, kByteOrderMark.size()) == kByteOrderMark) input.remove_prefix(kByteOrderMark.size());
    const std::vector<Record> in = CsvRecords(input).records();

    if (in.empty()) {
        if (result.status != valdenta::cli::kBatchAllRowsOk || !result.outputWritten || !result.output.empty()) {
            fail("an input without records must give an empty output and exit status 0");
        }
        return 0;
    }
    if (in.front().broken || namesAnInputTwice(in.front().cells)) {
        if (result.status != valdenta::cli::kBatchUsageOrFileError || result.outputWritten) {
            fail("a broken header must be refused (exit status 2, no output file)");
        }
        return 0;
    }
    if (!result.outputWritten) fail("no output file, exit status " + std::to_string(result.status));
    checkRows(in, CsvRecords(result.output).records(), result.status);
    return 0;
}
