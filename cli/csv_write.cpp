#include "cli/csv_write.h"

#include <charconv>  // to_chars: shortest round trip, no locale
#include <cmath>

#include "calculator/display.h"

namespace valdenta::cli {

namespace {

bool needsQuotes(std::string_view cell) noexcept {
    // A plain loop: find_first_of() would search the four characters once per byte.
    for (const char c : cell) {
        if (c == ',' || c == '"' || c == '\r' || c == '\n') {
            return true;
        }
    }
    return false;
}

}  // namespace

void appendCsvCell(std::string& out, std::string_view cell) {
    if (!needsQuotes(cell)) {
        out += cell;
        return;
    }
    out += '"';
    for (const char c : cell) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    out += '"';
}

void appendShortest(std::string& out, double v) {
    if (!std::isfinite(v)) {
        out += formatShortest(v);
        return;
    }
    // The same conversion as formatShortest(), into a local buffer.
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    out.append(buffer, result.ptr);
}

}  // namespace valdenta::cli
