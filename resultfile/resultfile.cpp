#include "resultfile/resultfile.h"

#include <array>
#include <optional>
#include <string_view>

#include "calculator/display.h"
#include "calculator/number.h"
#include "resultfile/cp932.h"
#include "resultfile/fileio.h"
#include "resultfile/linereader.h"

namespace valdenta {

namespace {

/// One line of the result file.
struct ResultLine {
    std::string_view label;  ///< UTF-8; written in code page 932
    std::string_view unit;   ///< in parentheses, or empty
    double CalcState::*value;
    double InputMemory::*input;  ///< where Open puts the line's value; null if not read back
};

constexpr std::array<ResultLine, 22> kLines{{
    {"気温", "(℃)", &CalcState::Ta, &InputMemory::Ta},
    {"相対湿度", "(%)", &CalcState::Rh, &InputMemory::Rh},
    {"風速", "(m/s)", &CalcState::U, &InputMemory::U},
    {"大気圧", "(hPa)", &CalcState::P, &InputMemory::P},
    {"水蒸気圧", "(hPa)", &CalcState::Ea, nullptr},
    {"比湿", "(kg/kg)", &CalcState::Qa, nullptr},
    {"アルベド", "", &CalcState::Albedo, &InputMemory::Albedo},
    {"顕熱バルク係数", "", &CalcState::Ch, &InputMemory::Ch},
    {"蒸発効率β", "", &CalcState::Beta, &InputMemory::Beta},
    {"地表面温度", "(℃)", &CalcState::Ts, nullptr},
    {"飽和水蒸気圧", "(hPa)", &CalcState::EsTs, nullptr},
    {"飽和比湿", "(kg/kg)", &CalcState::QsTs, nullptr},
    {"全天日射量", "(W/m2)", &CalcState::Sd, &InputMemory::Sd},
    {"大気放射量", "(W/m2)", &CalcState::Ld, &InputMemory::Ld},
    {"上向き短波放射量", "(W/m2)", &CalcState::Su, nullptr},
    {"上向き長波放射量", "(W/m2)", &CalcState::Lu, nullptr},
    {"正味放射量", "(W/m2)", &CalcState::Rn, nullptr},
    {"顕熱", "(W/m2)", &CalcState::H, nullptr},
    {"潜熱", "(W/m2)", &CalcState::LE, nullptr},
    {"地中伝導熱", "(W/m2)", &CalcState::G, &InputMemory::G},
    {"ボーエン比", "", &CalcState::Bowen, nullptr},
    {"蒸発速度", "(mm/day)", &CalcState::Evap, nullptr},
}};

/// Open reads up to the last line that carries an input; the last line is never read.
constexpr std::size_t kLinesRead = 21;

/// "label,unit," of every line in code page 932, converted once.
const std::array<std::string, kLines.size()>& linePrefixes() {
    static const std::array<std::string, kLines.size()> prefixes = [] {
        std::array<std::string, kLines.size()> converted;
        for (std::size_t i = 0; i < kLines.size(); ++i) {
            std::string text(kLines[i].label);
            text += ',';
            text += kLines[i].unit;
            text += ',';
            converted[i] = toCp932(text);
        }
        return converted;
    }();
    return prefixes;
}

/// The value of a line: the number after its last comma.  The line ends at
/// its first NUL byte.  Empty when it has no comma.
std::optional<double> lineValue(std::string_view line) {
    line = line.substr(0, line.find('\0'));
    const std::size_t comma = line.rfind(',');
    if (comma == std::string_view::npos) return std::nullopt;
    return parseNumber(line.substr(comma + 1));
}

/// The ten inputs from the first 21 lines, by position only.
InputMemory readInputs(LineReader& lines, const std::string& nameForMessages) {
    InputMemory inputs;
    for (std::size_t i = 0; i < kLinesRead; ++i) {
        const std::optional<std::string_view> line = lines.next();
        if (!line) throw notResultFile(nameForMessages, std::to_string(kLinesRead) + "行に足りません");
        if (kLines[i].input == nullptr) continue;
        const std::optional<double> value = lineValue(*line);
        if (!value) throw notResultFile(nameForMessages, std::to_string(i + 1) + "行目にコンマがありません");
        inputs.*kLines[i].input = *value;
    }
    return inputs;
}

}  // namespace

std::string resultFileBytes(const CalcState& state) {
    const auto& prefixes = linePrefixes();
    std::string bytes;
    for (std::size_t i = 0; i < kLines.size(); ++i) {
        bytes += prefixes[i];
        bytes += formatFixed(state.*kLines[i].value, 6);
        bytes += "\r\n";
    }
    return bytes;
}

void writeResultFile(const CalcState& state, const std::string& path) {
    replaceFileContents(path, resultFileBytes(state));
}

InputMemory readResultFile(const std::string& path) {
    InputFile file(path);
    LineReader lines = file.lines();
    return readInputs(lines, path);
}

InputMemory readResultBytes(const std::string& bytes, const std::string& nameForMessages) {
    std::string_view rest(bytes);
    LineReader lines([&rest](char* buffer, std::size_t size) {
        const std::size_t n = rest.copy(buffer, size);
        rest.remove_prefix(n);
        return n;
    });
    return readInputs(lines, nameForMessages);
}

void openResultFile(Calculator& calc, const std::string& path) {
    const InputMemory inputs = readResultFile(path);
    calc.memory() = inputs;
    calc.restore();
}

void saveResultFile(const Calculator& calc, const std::string& path) {
    writeResultFile(calc.state(), path);
}

}  // namespace valdenta
