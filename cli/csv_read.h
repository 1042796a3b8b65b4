#pragma once
// Reading CSV (RFC 4180: comma, double quotes, CR LF or LF line ends) in
// pieces of any size, record by record, with libcsv in strict mode.
//
// Cells come exactly as written between the commas (blanks kept, quotes
// removed).  Empty lines are no records.  A UTF-8 byte-order mark at the very
// start is dropped.  A record with broken quoting (a quote inside a cell that
// does not start with one, text after a closing quote) is reported with the
// cells read up to the fault and the rest of its line is skipped, so one bad
// record never ends the reading.

#include <csv.h>

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace valdenta::cli {

/// What was wrong with the quoting of a record.
enum class RecordFault : std::uint8_t {
    None,
    StrayQuote,     ///< a quote inside an unquoted cell, or text after a closing quote
    UnclosedQuote,  ///< the input ended inside a quoted cell
};

/// The reason for a fault, in words.
std::string_view recordFaultMessage(RecordFault fault) noexcept;

/// Receives what the reader finds, in input order.
class CsvSink {
public:
    virtual void cell(std::string_view text) = 0;
    virtual void endRecord(RecordFault fault) = 0;

protected:
    ~CsvSink() = default;
};

/// Input that cannot be read as CSV at all: a record beyond the size limit.
class CsvError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class CsvReader {
public:
    /// Longest record accepted (a quote that is never closed would otherwise
    /// swallow the whole input into one cell).
    static constexpr std::size_t kMaxRecordBytes = std::size_t{16} << 20;

    explicit CsvReader(CsvSink& sink);
    ~CsvReader();
    CsvReader(const CsvReader&) = delete;
    CsvReader& operator=(const CsvReader&) = delete;

    /// Parses the next piece of the input.  Throws CsvError.
    void feed(std::string_view bytes);
    /// Ends the input: completes a last record without a line end.
    void finish();

    /// Records reported so far.
    std::uint64_t records() const noexcept { return records_; }

private:
    static void onCell(void* text, std::size_t size, void* self);
    static void onRecordEnd(int terminator, void* self);

    void startParser();
    std::string_view dropByteOrderMark(std::string_view bytes);
    void releaseHeldMark();
    void endRecord(RecordFault fault);

    CsvSink& sink_;
    csv_parser parser_{};
    std::size_t markBytesSeen_ = 0;  ///< bytes of the start compared with the mark
    bool skippingLine_ = false;      ///< after a fault: discarding up to the line end
    std::size_t recordBytes_ = 0;
    std::uint64_t records_ = 0;
};

}  // namespace valdenta::cli
