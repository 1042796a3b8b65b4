// Fuzz target: any bytes as a result file for File > Open.
//
// The reader must either refuse the file with a FileError or return the ten
// inputs; any other exception, a crash or a read outside its buffers fails.
// The outcome is also compared with a plain model of how the C library reads
// the file in text mode: fgets into a line buffer of 1024 bytes (at most 1023
// bytes up to and including a line feed, carriage returns dropped before they
// count), the line's string ending at its first NUL, and the value taken after
// the line's last comma.  The model walks the whole input in one piece, so it
// also checks the reader's refilling of its chunks.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calculator/number.h"
#include "calculator/state.h"
#include "resultfile/resultfile.h"

namespace {

using valdenta::InputMemory;

constexpr std::size_t kLineBufferBytes = 1024;
constexpr std::size_t kLinesRead = 21;

/// The line (1-based) of each input, in the order of the memory slot.
struct InputLine {
    std::size_t line;
    double InputMemory::*input;
};
constexpr std::array<InputLine, 10> kInputLines{{
    {1, &InputMemory::Ta},
    {2, &InputMemory::Rh},
    {3, &InputMemory::U},
    {4, &InputMemory::P},
    {7, &InputMemory::Albedo},
    {8, &InputMemory::Ch},
    {9, &InputMemory::Beta},
    {13, &InputMemory::Sd},
    {14, &InputMemory::Ld},
    {20, &InputMemory::G},
}};

/// The first `count` lines as fgets returns them in text mode; fewer at the end of the file.
std::vector<std::string> textModeLines(std::string_view bytes, std::size_t count) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (lines.size() < count && pos < bytes.size()) {
        std::string line;
        while (line.size() < kLineBufferBytes - 1 && pos < bytes.size()) {
            const char c = bytes[pos++];
            if (c == '\r') continue;
            line += c;
            if (c == '\n') break;
        }
        if (line.empty()) break;  // only carriage returns were left
        lines.push_back(line);
    }
    return lines;
}

/// The ten inputs by the model, or nothing when the file must be refused.
std::optional<InputMemory> modelInputs(std::string_view bytes) {
    const std::vector<std::string> lines = textModeLines(bytes, kLinesRead);
    if (lines.size() < kLinesRead) return std::nullopt;
    InputMemory inputs;
    for (const InputLine& entry : kInputLines) {
        const std::string& line = lines[entry.line - 1];
        const std::string_view asCString(line.c_str());  // ends at the first NUL
        const std::size_t comma = asCString.rfind(',');
        if (comma == std::string_view::npos) return std::nullopt;
        inputs.*entry.input = valdenta::parseNumber(asCString.substr(comma + 1));
    }
    return inputs;
}

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "result_file_fuzzer: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::optional<InputMemory> expected = modelInputs(bytes);

    std::optional<InputMemory> got;
    try {
        got = valdenta::readResultBytes(bytes, "fuzz.csv");
    } catch (const valdenta::FileError& e) {
        if (std::string_view(e.what()).empty()) fail("a refusal without a message");
    }

    if (got.has_value() != expected.has_value()) {
        fail(got ? "the reader took a file that must be refused" : "the reader refused a readable file");
    }
    if (!got) return 0;
    for (const InputLine& entry : kInputLines) {
        if (!sameBits((*got).*entry.input, (*expected).*entry.input)) {
            std::fprintf(stderr, "result_file_fuzzer: line %zu: got %a, expected %a\n", entry.line,
                         (*got).*entry.input, (*expected).*entry.input);
            std::abort();
        }
    }
    return 0;
}
