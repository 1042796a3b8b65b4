#pragma once
// The calc command: one calculation from the defaults or a result file, with
// inputs given as options.

#include <array>
#include <cstdio>
#include <optional>
#include <string>

namespace valdenta::cli {

enum class ReportFormat { Text, Json, Csv };

struct CalcSettings {
    std::optional<std::string> openPath;  ///< result file whose inputs to start from
    /// Texts of the inputs given as options, per kInputFields.
    std::array<std::optional<std::string>, 10> inputTexts;
    ReportFormat format = ReportFormat::Text;
    std::optional<std::string> savePath;  ///< result file to write the state to
};

/// Exit statuses of the calc command.
inline constexpr int kCalcOk = 0;
inline constexpr int kCalcFailed = 1;
inline constexpr int kCalcUsageOrFileError = 2;

/// Checks the input texts, starts from the built-in defaults or the inputs of
/// the result file (taken as they are, unchecked, like File > Open), sets the
/// given inputs exactly as read, calculates, saves if asked, and prints the
/// report on `out`.  On any error `out` gets nothing and `err` one line.
int runCalc(const CalcSettings& settings, std::FILE* out, std::FILE* err);

}  // namespace valdenta::cli
