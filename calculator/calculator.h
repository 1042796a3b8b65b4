#pragma once
// The calculator: its state, memory slot and commands, bound to 26 field texts.

#include <string_view>

#include "calculate.h"
#include "fields.h"
#include "state.h"

namespace valdenta {

class Calculator {
public:
    /// Binds the calculator to the window's fields (or HeadlessFields).  The
    /// fields must call inputChanged() from their change handlers.
    explicit Calculator(FieldTexts& fields) : fields_(fields) {}

    CalcState& state() noexcept { return state_; }
    const CalcState& state() const noexcept { return state_; }
    InputMemory& memory() noexcept { return memory_; }
    const InputMemory& memory() const noexcept { return memory_; }

    /// Start-up: the built-in defaults into the memory slot, then restore().
    void formCreate();
    /// Copies the memory slot into the inputs, then the Restore refresh:
    /// inputs formatted, every output field "***".
    void restore();
    /// Copies the inputs into the memory slot; nothing else.
    void memorise() noexcept;
    /// Calculate: computes the derived values, then the Calculate refresh.
    /// A fault throws before the refresh (see calculateState()).
    void calculate();
    /// The change handler of edit field `edit` with its new whole `text`:
    /// stores the parsed value if the field's check accepts it.  Output fields
    /// are ignored.  Throws FloatingPointError(Invalid) for a NaN in a checked field.
    void inputChanged(int edit, std::string_view text);

    /// Pass count and imbalance of the last successful solve.
    const SolveStats& lastSolve() const noexcept { return lastSolve_; }

private:
    FieldTexts& fields_;
    CalcState state_{};
    InputMemory memory_{};
    SolveStats lastSolve_{};
};

/// A calculator on HeadlessFields, for programs and tests without a window.
class HeadlessCalculator {
public:
    HeadlessCalculator();
    HeadlessCalculator(const HeadlessCalculator&) = delete;
    HeadlessCalculator& operator=(const HeadlessCalculator&) = delete;

    HeadlessFields fields;
    Calculator calc{fields};
};

}  // namespace valdenta
