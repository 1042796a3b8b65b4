#include "cli/csv_read.h"

#include <new>

namespace valdenta::cli {

namespace {

constexpr std::size_t kCellBufferStep = std::size_t{64} << 10;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

/// No byte counts as a blank to trim: cells keep their spaces and tabs.
int noBlanks(unsigned char) {
    return 0;
}

bool isLineEnd(char c) noexcept {
    return c == '\n' || c == '\r';
}

}  // namespace

std::string_view recordFaultMessage(RecordFault fault) noexcept {
    switch (fault) {
        case RecordFault::None:
            return "";
        case RecordFault::StrayQuote:
            return "broken quoting (a quote inside an unquoted cell or text after a closing "
                   "quote); the rest of the line was skipped";
        case RecordFault::UnclosedQuote:
            return "a quoted cell is not closed before the end of the input";
    }
    return "";
}

CsvReader::CsvReader(CsvSink& sink) : sink_(sink) {
    startParser();
}

CsvReader::~CsvReader() {
    csv_free(&parser_);
}

void CsvReader::startParser() {
    if (csv_init(&parser_, CSV_STRICT | CSV_STRICT_FINI) != 0) {
        throw std::bad_alloc();
    }
    csv_set_space_func(&parser_, noBlanks);
    // libcsv grows its cell buffer by this much at a time; its default of 128
    // bytes makes a long cell cost quadratic time.
    csv_set_blk_size(&parser_, kCellBufferStep);
}

void CsvReader::feed(std::string_view bytes) {
    bytes = dropByteOrderMark(bytes);
    while (!bytes.empty()) {
        if (skippingLine_) {
            std::size_t end = 0;
            while (end < bytes.size() && !isLineEnd(bytes[end])) {
                ++end;
            }
            if (end == bytes.size()) {
                return;
            }
            skippingLine_ = false;
            bytes.remove_prefix(end + 1);
            continue;
        }
        const std::size_t parsed =
            csv_parse(&parser_, bytes.data(), bytes.size(), onCell, onRecordEnd, this);
        if (parsed == bytes.size()) {
            break;
        }
        // Strict mode stopped at the byte that breaks the quoting rules.
        endRecord(RecordFault::StrayQuote);
        csv_free(&parser_);
        startParser();
        skippingLine_ = true;
        bytes.remove_prefix(parsed);
    }
    if (recordBytes_ > kMaxRecordBytes || csv_get_buffer_size(&parser_) > kMaxRecordBytes) {
        throw CsvError("record " + std::to_string(records_ + 1) +
                       " is longer than 16 MiB (is a quote never closed?)");
    }
}

void CsvReader::finish() {
    releaseHeldMark();
    if (skippingLine_) {
        return;
    }
    if (csv_fini(&parser_, onCell, onRecordEnd, this) != 0) {
        endRecord(RecordFault::UnclosedQuote);
    }
}

std::string_view CsvReader::dropByteOrderMark(std::string_view bytes) {
    while (markBytesSeen_ < kByteOrderMark.size() && !bytes.empty()) {
        if (bytes.front() != kByteOrderMark[markBytesSeen_]) {
            releaseHeldMark();
            return bytes;
        }
        ++markBytesSeen_;
        bytes.remove_prefix(1);
    }
    return bytes;
}

void CsvReader::releaseHeldMark() {
    // The start of a mark that did not complete is ordinary text.
    if (markBytesSeen_ < kByteOrderMark.size()) {
        const std::string_view held = kByteOrderMark.substr(0, markBytesSeen_);
        markBytesSeen_ = kByteOrderMark.size();
        feed(held);
    }
}

void CsvReader::endRecord(RecordFault fault) {
    recordBytes_ = 0;
    ++records_;
    sink_.endRecord(fault);
}

void CsvReader::onCell(void* text, std::size_t size, void* self) {
    auto& reader = *static_cast<CsvReader*>(self);
    reader.recordBytes_ += size + 1;
    reader.sink_.cell(std::string_view(static_cast<const char*>(text), size));
}

void CsvReader::onRecordEnd(int /*terminator*/, void* self) {
    static_cast<CsvReader*>(self)->endRecord(RecordFault::None);
}

}  // namespace valdenta::cli
