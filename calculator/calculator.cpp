#include "calculator.h"

#include "inputs.h"
#include "refresh.h"

namespace valdenta {

void Calculator::formCreate() {
    memory_ = defaultInputs();
    restore();
}

void Calculator::restore() {
    copyInputs(memory_, state_);
    restoreRefresh(state_, fields_);
}

void Calculator::memorise() noexcept {
    copyInputs(state_, memory_);
}

void Calculator::calculate() {
    SolveStats stats;
    calculateState(state_, &stats);
    lastSolve_ = stats;
    calculateRefresh(state_, fields_);
}

void Calculator::inputChanged(int edit, std::string_view text) {
    if (const InputField* field = inputFieldOfEdit(edit)) applyInputText(*field, text, state_);
}

HeadlessCalculator::HeadlessCalculator() {
    fields.setChangeHandler([this](int edit, std::string_view text) { calc.inputChanged(edit, text); });
}

}  // namespace valdenta
