#include "cli/report.h"

#include <array>
#include <cmath>
#include <string_view>

#include "calculator/display.h"
#include "cli/csv_write.h"

namespace valdenta::cli {

namespace {

/// How the window shows a value: its field label (unit included) and decimals.
struct Shown {
    std::string_view label;
    int decimals;
};

/// In the order of kStateValues.
constexpr std::array<Shown, 22> kShown{{
    {"気温（℃)", 1},
    {"相対湿度(%)", 1},
    {"風速(m/s)", 1},
    {"大気圧(hPa)", 1},
    {"水蒸気圧(hPa)", 1},
    {"比湿(kg/kg)", 4},
    {"アルベド", 2},
    {"顕熱バルク係数", 5},
    {"蒸発効率β", 2},
    {"地表面温度(℃)", 1},
    {"飽和水蒸気圧(hPa)", 1},
    {"飽和比湿(kg/kg)", 4},
    {"全天日射(W/m2)", 1},
    {"大気放射(W/m2)", 1},
    {"上向き短波放射(W/m2)", 1},
    {"上向き長波放射(W/m2)", 1},
    {"正味放射(W/m2)", 1},
    {"顕熱(W/m2)", 1},
    {"潜熱(W/m2)", 1},
    {"地中伝導熱(W/m2)", 1},
    {"ボーエン比", 3},
    {"蒸発速度(mm/day)", 2},
}};

constexpr std::size_t kNameWidth = 8;
constexpr std::size_t kValueWidth = 12;

void appendPadded(std::string& out, std::string_view text, std::size_t width, bool right) {
    const std::size_t pad = text.size() < width ? width - text.size() : 0;
    if (right) {
        out.append(pad, ' ');
    }
    out += text;
    if (!right) {
        out.append(pad, ' ');
    }
}

/// A JSON value: a number, or a string for the texts of non-finite values.
void appendJsonNumber(std::string& out, double v) {
    if (std::isfinite(v)) {
        appendShortest(out, v);
    } else {
        out += '"';
        out += formatShortest(v);
        out += '"';
    }
}

}  // namespace

std::string textReport(const CalcState& state, const SolveStats& solve) {
    std::string out;
    for (std::size_t i = 0; i < kStateValues.size(); ++i) {
        appendPadded(out, kStateValues[i].name, kNameWidth, false);
        appendPadded(out, formatFixed(state.*kStateValues[i].member, kShown[i].decimals),
                     kValueWidth, true);
        out += "  ";
        out += kShown[i].label;
        out += '\n';
    }
    out += "\nsolver: ";
    out += std::to_string(solve.passes);
    out += solve.passes == 1 ? " pass" : " passes";
    out += ", final imbalance ";
    appendShortest(out, solve.imbalance);
    out += " W/m2\n";
    return out;
}

std::string jsonReport(const CalcState& state, const SolveStats& solve) {
    std::string out = "{\n";
    for (const StateValue& value : kStateValues) {
        out += "  \"";
        out += value.name;
        out += "\": ";
        appendJsonNumber(out, state.*value.member);
        out += ",\n";
    }
    out += "  \"solver\": {\"passes\": ";
    out += std::to_string(solve.passes);
    out += ", \"imbalance\": ";
    appendJsonNumber(out, solve.imbalance);
    out += "}\n}\n";
    return out;
}

std::string csvReport(const CalcState& state) {
    std::string out;
    for (const StateValue& value : kStateValues) {
        if (&value != kStateValues.data()) {
            out += ',';
        }
        out += value.name;
    }
    out += '\n';
    for (const StateValue& value : kStateValues) {
        if (&value != kStateValues.data()) {
            out += ',';
        }
        appendShortest(out, state.*value.member);
    }
    out += '\n';
    return out;
}

}  // namespace valdenta::cli
