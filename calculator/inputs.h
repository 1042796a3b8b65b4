#pragma once
// The ten input fields: which value each stores and which values it accepts.

#include <array>
#include <optional>
#include <string_view>

#include "state.h"

namespace valdenta {

/// Acceptance rule of an input field.
enum class InputCheck {
    Any,          ///< every number, infinities and NaN included
    Percent,      ///< 0 <= x <= 100
    NonNegative,  ///< x >= 0
    Positive,     ///< x > 0
    Fraction,     ///< 0 <= x <= 1
};

/// Whether `x` lies in the range of `check`.  A NaN lies in no bounded range.
bool inRange(InputCheck check, double x) noexcept;

/// Whether an input field with `check` accepts `x`.  Comparing a NaN with a
/// bound is an invalid operation: for a rule with bounds a NaN throws
/// FloatingPointError(Invalid).
bool accepts(InputCheck check, double x);

/// The accepted range in words, for messages (for example "0 <= x <= 100").
std::string_view rangeText(InputCheck check) noexcept;

/// One input field of the window.
struct InputField {
    int edit;                     ///< number of its edit field (Edit1 ... Edit20)
    std::string_view name;        ///< name of the value in CalcState
    double CalcState::*value;     ///< where an accepted value is stored
    InputCheck check;
};

/// The ten input fields in memory-slot order.
extern const std::array<InputField, 10> kInputFields;

/// The input field of edit field `edit`, or nullptr for an output field.
const InputField* inputFieldOfEdit(int edit) noexcept;
/// The input field of value `name` ("Ta", "Rh", ...), or nullptr.
const InputField* inputFieldNamed(std::string_view name) noexcept;

/// What a field's change handler does with its whole text: parse it and store
/// the value into `state` if the field's check accepts it.  Returns whether it
/// was stored.  Throws FloatingPointError(Invalid) for a NaN in a checked field.
bool applyInputText(const InputField& field, std::string_view text, CalcState& state);

}  // namespace valdenta
