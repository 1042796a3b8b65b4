#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "calculator/display.h"
#include "cli/csv_read.h"
#include "cli/csv_write.h"

namespace valdenta::cli {
namespace {

struct Record {
    std::vector<std::string> cells;
    RecordFault fault = RecordFault::None;
    bool operator==(const Record&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Record& r) {
    os << "{";
    for (const std::string& c : r.cells) {
        os << "[" << c << "]";
    }
    return os << " fault " << static_cast<int>(r.fault) << "}";
}

class Recorder : public CsvSink {
public:
    void cell(std::string_view text) override { cells_.emplace_back(text); }
    void endRecord(RecordFault fault) override {
        records.push_back({std::move(cells_), fault});
        cells_.clear();
    }
    std::vector<Record> records;

private:
    std::vector<std::string> cells_;
};

/// The records of `input` fed in pieces of `piece` bytes (0: all at once).
std::vector<Record> readAll(std::string_view input, std::size_t piece) {
    Recorder recorder;
    CsvReader reader(recorder);
    if (piece == 0) {
        reader.feed(input);
    } else {
        for (std::size_t i = 0; i < input.size(); i += piece) {
            reader.feed(input.substr(i, piece));
        }
    }
    reader.finish();
    return recorder.records;
}

struct ReadCase {
    const char* what;
    std::string input;
    std::vector<Record> records;
};

TEST(CsvReader, RecordsDoNotDependOnHowTheInputIsCut) {
    using F = RecordFault;
    const ReadCase cases[] = {
        {"LF", "a,b\n1,2\n", {{{"a", "b"}}, {{"1", "2"}}}},
        {"CR LF", "a,b\r\n1,2\r\n", {{{"a", "b"}}, {{"1", "2"}}}},
        {"no line end at the end", "a,b\n1,2", {{{"a", "b"}}, {{"1", "2"}}}},
        {"quoted comma, quote and line ends",
         "\"x,y\",\"say \"\"hi\"\"\",\"l1\r\nl2\"\n",
         {{{"x,y", "say \"hi\"", "l1\r\nl2"}}}},
        {"blanks kept", " 1 ,\t2\t\n", {{{" 1 ", "\t2\t"}}}},
        {"empty cells", ",,\n\"\"\n", {{{"", "", ""}}, {{""}}}},
        {"empty lines are no records", "a\n\n\r\n\nb\n", {{{"a"}}, {{"b"}}}},
        {"byte-order mark dropped", "\xEF\xBB\xBFTa,Rh\n", {{{"Ta", "Rh"}}}},
        {"start of a mark is text", "\xEF\xBBx\n", {{{"\xEF\xBBx"}}}},
        {"mark only at the start",
         "a\n\xEF\xBB\xBF"
         "b\n",
         {{{"a"}},
          {{"\xEF\xBB\xBF"
            "b"}}}},
        {"stray quote: rest of the line skipped",
         "a,b\"c,d\nok,1\n",
         {{{"a"}, F::StrayQuote}, {{"ok", "1"}}}},
        {"text after a closing quote", "\"ab\"c,d\r\nx\n", {{{}, F::StrayQuote}, {{"x"}}}},
        {"quote never closed", "a\n\"bc\nd", {{{"a"}}, {{}, F::UnclosedQuote}}},
        {"empty input", "", {}},
        {"mark only", "\xEF\xBB\xBF", {}},
    };
    for (const ReadCase& c : cases) {
        for (const std::size_t piece : {0, 1, 2, 5}) {
            EXPECT_EQ(readAll(c.input, piece), c.records) << c.what << ", pieces of " << piece;
        }
    }
}

TEST(CsvReader, RefusesRecordBeyondTheLimit) {
    Recorder recorder;
    CsvReader reader(recorder);
    reader.feed("a\n\"");
    const std::string chunk(1 << 20, 'x');
    EXPECT_THROW(
        {
            for (int i = 0; i < 20; ++i) {
                reader.feed(chunk);
            }
        },
        CsvError);
}

TEST(AppendCsvCell, QuotesOnlyWhenNeeded) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain", "plain"},
        {"", ""},
        {" with blanks ", " with blanks "},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"l1\nl2", "\"l1\nl2\""},
        {"cr\r", "\"cr\r\""},
        {"気温", "気温"},
    };
    for (const auto& [cell, expected] : cases) {
        std::string out = "x,";
        appendCsvCell(out, cell);
        EXPECT_EQ(out, "x," + expected);
    }
}

TEST(AppendShortest, SameTextAsFormatShortest) {
    const double values[] = {0.0,
                             -0.0,
                             15.0,
                             1013.2,
                             0.001,
                             28.095550537109375,
                             -999.0,
                             1e300,
                             -2.2250738585072014e-308,
                             5e-324,
                             123456789012345680.0,
                             std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN(),
                             -std::numeric_limits<double>::quiet_NaN()};
    for (const double v : values) {
        std::string out;
        appendShortest(out, v);
        EXPECT_EQ(out, formatShortest(v));
    }
}

}  // namespace
}  // namespace valdenta::cli
