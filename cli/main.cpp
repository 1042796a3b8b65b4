// valdenta-cli: the heat-balance calculator without the window, for one case
// (calc) or a CSV time series (batch).

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <thread>

#include "calculator/inputs.h"
#include "cli/batch_run.h"
#include "cli/calc_command.h"
#include "cli/input_text.h"

namespace {

using namespace valdenta;
using namespace valdenta::cli;

/// Units of the inputs, for the option help.
constexpr std::array<const char*, 10> kInputHelp{
    "air temperature, deg C", "relative humidity, %",         "wind speed, m/s",
    "air pressure, hPa",      "surface albedo, fraction",     "bulk transfer coefficient",
    "evaporation efficiency", "global solar radiation, W/m2", "atmospheric radiation, W/m2",
    "ground heat flux, W/m2",
};

void addCalc(CLI::App& app, CalcSettings& settings) {
    CLI::App* calc = app.add_subcommand("calc", "calculate one case and print the 22 values");
    calc->footer(
        "Starts from the built-in defaults, or from the inputs of the result file given with "
        "--open (taken as they are, like File > Open), sets the inputs given as options (each "
        "the whole text of a number that the field accepts), calculates and prints.\n"
        "Exit status: 0 done, 1 calculation error (the window's message on standard error), "
        "2 bad option or file.\n"
        "Example: valdenta-cli calc --Ta 30 --Rh 20 --U 5 --format json");
    for (std::size_t i = 0; i < kInputFields.size(); ++i) {
        const InputField& field = kInputFields[i];
        calc->add_option_function<std::string>(
                "--" + std::string(field.name),
                [&settings, i](const std::string& text) { settings.inputTexts[i] = text; },
                std::string(kInputHelp[i]) + " (" + std::string(rangeText(field.check)) + ")")
            ->type_name("X")
            ->allow_extra_args(false);
    }
    calc->add_option_function<std::string>(
            "--open", [&settings](const std::string& path) { settings.openPath = path; },
            "start from the inputs of this result file, read as File > Open reads it")
        ->type_name("FILE");
    calc->add_option_function<std::string>(
            "--format",
            [&settings](const std::string& name) {
                settings.format = name == "json"  ? ReportFormat::Json
                                  : name == "csv" ? ReportFormat::Csv
                                                  : ReportFormat::Text;
            },
            "text: a table with the window's labels and decimals (default); json: the 22 values "
            "and the solver's passes and imbalance; csv: a header line and one row")
        ->check(CLI::IsMember({"text", "json", "csv"}))
        ->type_name("FORMAT");
    calc->add_option_function<std::string>(
            "--save", [&settings](const std::string& path) { settings.savePath = path; },
            "also write the result file, as File > Save As writes it")
        ->type_name("FILE");
}

void addBatch(CLI::App& app, BatchSettings& settings, std::vector<std::string>& sets) {
    CLI::App* batch = app.add_subcommand("batch", "calculate every row of a CSV file");
    batch->footer(
        "Input: CSV (RFC 4180, UTF-8, comma, a header row).  Columns named Ta, Rh, U, P, Albedo, "
        "Ch, Beta, Sd, Ld, G are the inputs; every other column is copied as it is.  An input "
        "without a column takes its --set value or the built-in default for every row.\n"
        "Output: per input row, in order, its cells, then Ea, Qa, Ts, EsTs, QsTs, Su, Lu, Rn, H, "
        "LE, Bowen, Evap and a status: ok, or why the row failed (a failed row stops nothing).  "
        "Lines end in LF; empty input lines are no rows; an empty input gives an empty output.\n"
        "Exit status: 0 all rows ok, 3 some rows failed, 2 bad option or file.\n"
        "Example: valdenta-cli batch examples/hourly.csv -o hourly-out.csv --set G=0");
    batch->add_option("input", settings.input, "input CSV file, - for standard input")
        ->type_name("FILE")
        ->capture_default_str();
    batch
        ->add_option("-o,--output", settings.output,
                     "output CSV file, written under a temporary name and renamed at the end; "
                     "- for standard output")
        ->type_name("FILE")
        ->capture_default_str();
    batch
        ->add_option("--set", sets,
                     "NAME=VALUE: the value of an input that has no column (default: the "
                     "built-in default)")
        ->type_name("NAME=VALUE");
    batch->add_option("--threads", settings.threads, "threads that compute rows")
        ->type_name("N")
        ->check(CLI::Range(1u, 1024u))
        ->capture_default_str();
}

/// Applies the --set options; returns the message about the first bad one.
std::optional<std::string> applySets(const std::vector<std::string>& sets, InputFill& fill) {
    for (const std::string& set : sets) {
        const std::size_t equals = set.find('=');
        const std::string name = set.substr(0, equals);
        const InputField* field = inputFieldNamed(name);
        if (equals == std::string::npos || field == nullptr) {
            return "--set " + set +
                   ": expected NAME=VALUE with NAME one of Ta, Rh, U, P, "
                   "Albedo, Ch, Beta, Sd, Ld, G";
        }
        const std::string text = set.substr(equals + 1);
        double value = 0.0;
        const InputVerdict verdict = readInputText(*field, text, value);
        if (verdict != InputVerdict::Accepted) {
            return "--set " + name + " " + verdictMessage(*field, text, verdict);
        }
        const std::size_t index = static_cast<std::size_t>(field - kInputFields.data());
        fill.values.*kInputValues[index].memory = value;
        fill.given[index] = true;
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app("The heat balance of a land surface, without the window.", "valdenta-cli");
    app.set_version_flag("--version", "valdenta-cli " VALDENTA_VERSION);
    app.require_subcommand(1);

    CalcSettings calc;
    addCalc(app, calc);
    BatchSettings batch;
    batch.threads = std::max(std::thread::hardware_concurrency(), 1u);
    std::vector<std::string> sets;
    addBatch(app, batch, sets);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : 2;
    }

    if (app.got_subcommand("calc")) {
        return runCalc(calc, stdout, stderr);
    }
    if (const auto problem = applySets(sets, batch.fill)) {
        std::fprintf(stderr, "valdenta-cli: %s\n", problem->c_str());
        return kBatchUsageOrFileError;
    }
    batch.progress = ::isatty(STDERR_FILENO) != 0;
    return runBatch(batch, stderr);
}
