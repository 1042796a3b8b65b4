#include "cli/batch.h"

#include "calculator/calculate.h"
#include "calculator/display.h"
#include "cli/csv_write.h"
#include "cli/input_text.h"
#include "formulas/errors.h"

namespace valdenta::cli {

const std::array<StateValue, 12> kDerivedValues{{
    {"Ea", &CalcState::Ea},
    {"Qa", &CalcState::Qa},
    {"Ts", &CalcState::Ts},
    {"EsTs", &CalcState::EsTs},
    {"QsTs", &CalcState::QsTs},
    {"Su", &CalcState::Su},
    {"Lu", &CalcState::Lu},
    {"Rn", &CalcState::Rn},
    {"H", &CalcState::H},
    {"LE", &CalcState::LE},
    {"Bowen", &CalcState::Bowen},
    {"Evap", &CalcState::Evap},
}};

namespace {

std::string_view trimBlanks(std::string_view text) noexcept {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::size_t fieldIndex(const InputField& field) noexcept {
    return static_cast<std::size_t>(&field - kInputFields.data());
}

/// The reason a record cannot be computed, before its inputs are looked at.
std::string shapeProblem(const BatchPlan& plan, std::size_t cells, RecordFault fault) {
    if (fault != RecordFault::None) {
        return std::string(recordFaultMessage(fault));
    }
    if (cells != plan.columns) {
        return std::to_string(cells) + (cells == 1 ? " cell" : " cells") + ", the header has " +
               std::to_string(plan.columns);
    }
    return {};
}

}  // namespace

BatchPlan planBatch(const std::vector<std::string>& header, const InputFill& fill) {
    BatchPlan plan;
    plan.columns = header.size();
    plan.fieldOfColumn.assign(header.size(), nullptr);
    for (std::size_t column = 0; column < header.size(); ++column) {
        const InputField* field = inputFieldNamed(trimBlanks(header[column]));
        if (field == nullptr) {
            continue;
        }
        bool& seen = plan.hasColumn[fieldIndex(*field)];
        if (seen) {
            throw HeaderError("the header names the input " + std::string(field->name) +
                              " in more than one column");
        }
        seen = true;
        plan.fieldOfColumn[column] = field;
    }
    copyInputs(fill.values, plan.start);

    for (const std::string& cell : header) {
        appendCsvCell(plan.outputHeader, cell);
        plan.outputHeader += ',';
    }
    for (const StateValue& value : kDerivedValues) {
        plan.outputHeader += value.name;
        plan.outputHeader += ',';
    }
    plan.outputHeader += "status\n";
    return plan;
}

std::string fillNotice(const BatchPlan& plan, const InputFill& fill) {
    std::string filled;
    std::string unused;
    for (std::size_t i = 0; i < kInputFields.size(); ++i) {
        const std::string_view name = kInputFields[i].name;
        if (plan.hasColumn[i]) {
            if (fill.given[i]) {
                unused += unused.empty() ? "" : ", ";
                unused += name;
            }
            continue;
        }
        filled += filled.empty() ? "" : ", ";
        filled += name;
        filled += '=';
        filled += formatShortest(plan.start.*kInputFields[i].value);
        filled += fill.given[i] ? " (--set)" : " (default)";
    }
    std::string notice;
    if (!filled.empty()) {
        notice += "valdenta-cli: no column for these inputs, every row uses " + filled + "\n";
    }
    if (!unused.empty()) {
        notice += "valdenta-cli: --set not used for " + unused + ": the input has a column\n";
    }
    return notice;
}

void RowBlock::addCell(std::string_view text) {
    cells += text;
    cellEnds.push_back(static_cast<std::uint32_t>(cells.size()));
}

void RowBlock::endRow(RecordFault fault) {
    rowEnds.push_back(static_cast<std::uint32_t>(cellEnds.size()));
    rowFaults.push_back(fault);
}

void RowBlock::clear() noexcept {
    cells.clear();
    cellEnds.clear();
    rowEnds.clear();
    rowFaults.clear();
    out.clear();
    failedRows = 0;
}

void processBlock(const BatchPlan& plan, RowBlock& block) {
    block.out.clear();
    block.failedRows = 0;
    std::string problem;
    std::size_t firstCell = 0;
    for (std::size_t row = 0; row < block.rows(); ++row) {
        const std::size_t endCell = block.rowEnds[row];
        const std::size_t cellCount = endCell - firstCell;
        const auto cellText = [&](std::size_t column) {
            const std::size_t index = firstCell + column;
            const std::size_t begin = index == 0 ? 0 : block.cellEnds[index - 1];
            return std::string_view(block.cells).substr(begin, block.cellEnds[index] - begin);
        };

        problem = shapeProblem(plan, cellCount, block.rowFaults[row]);
        CalcState state = plan.start;
        for (std::size_t column = 0; problem.empty() && column < plan.columns; ++column) {
            const InputField* field = plan.fieldOfColumn[column];
            if (field == nullptr) {
                continue;
            }
            const std::string_view text = cellText(column);
            double value = 0.0;
            const InputVerdict verdict = readInputText(*field, text, value);
            if (verdict == InputVerdict::Accepted) {
                state.*field->value = value;
            } else {
                problem = std::string(field->name) + ": " + verdictMessage(*field, text, verdict);
            }
        }
        if (problem.empty()) {
            try {
                calculateState(state);
            } catch (const CommandError& e) {
                problem = std::string(e.what()) + ".";
            }
        }

        for (std::size_t column = 0; column < plan.columns; ++column) {
            if (column < cellCount) {
                appendCsvCell(block.out, cellText(column));
            }
            block.out += ',';
        }
        for (const StateValue& value : kDerivedValues) {
            if (problem.empty()) {
                appendShortest(block.out, state.*value.member);
            }
            block.out += ',';
        }
        if (problem.empty()) {
            block.out += "ok";
        } else {
            appendCsvCell(block.out, problem);
            ++block.failedRows;
        }
        block.out += '\n';
        firstCell = endCell;
    }
}

}  // namespace valdenta::cli
