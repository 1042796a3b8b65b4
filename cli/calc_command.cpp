#include "cli/calc_command.h"

#include "calculator/calculate.h"
#include "calculator/inputs.h"
#include "cli/input_text.h"
#include "cli/report.h"
#include "resultfile/resultfile.h"

namespace valdenta::cli {

namespace {

void printError(std::FILE* err, const std::string& message) {
    std::fprintf(err, "valdenta-cli: %s\n", message.c_str());
}

/// The inputs given as options, or the message about the first bad one.
std::optional<std::string> readOptions(const CalcSettings& settings,
                                       std::array<double, 10>& values) {
    for (std::size_t i = 0; i < kInputFields.size(); ++i) {
        const std::optional<std::string>& text = settings.inputTexts[i];
        if (!text) {
            continue;
        }
        const InputField& field = kInputFields[i];
        const InputVerdict verdict = readInputText(field, *text, values[i]);
        if (verdict != InputVerdict::Accepted) {
            return "--" + std::string(field.name) + " " + verdictMessage(field, *text, verdict);
        }
    }
    return std::nullopt;
}

std::string report(const CalcSettings& settings, const CalcState& state, const SolveStats& solve) {
    switch (settings.format) {
        case ReportFormat::Json:
            return jsonReport(state, solve);
        case ReportFormat::Csv:
            return csvReport(state);
        case ReportFormat::Text:
            break;
    }
    return textReport(state, solve);
}

}  // namespace

int runCalc(const CalcSettings& settings, std::FILE* out, std::FILE* err) {
    std::array<double, 10> given{};
    if (const auto problem = readOptions(settings, given)) {
        printError(err, *problem);
        return kCalcUsageOrFileError;
    }

    CalcState state;
    try {
        copyInputs(settings.openPath ? readResultFile(*settings.openPath) : defaultInputs(), state);
    } catch (const FileError& e) {
        printError(err, e.what());
        return kCalcUsageOrFileError;
    }
    for (std::size_t i = 0; i < kInputFields.size(); ++i) {
        if (settings.inputTexts[i]) {
            state.*kInputFields[i].value = given[i];
        }
    }

    SolveStats solve;
    try {
        calculateState(state, &solve);
    } catch (const CommandError& e) {
        printError(err, std::string(e.what()) + ".");  // as the window's error display shows it
        return kCalcFailed;
    }

    if (settings.savePath) {
        try {
            writeResultFile(state, *settings.savePath);
        } catch (const FileError& e) {
            printError(err, e.what());
            return kCalcUsageOrFileError;
        }
    }

    const std::string text = report(settings, state, solve);
    if (std::fputs(text.c_str(), out) == EOF || std::fflush(out) != 0) {
        printError(err, "cannot write the result to standard output");
        return kCalcUsageOrFileError;
    }
    return kCalcOk;
}

}  // namespace valdenta::cli
