#pragma once
// Input values given as text on the command line or in a CSV cell.
//
// Unlike an input field, which takes the number at the start of whatever is
// typed, the command line wants the whole text to be one number: "12abc" and
// "" are mistakes here, not 12 and 0.

#include <optional>
#include <string>
#include <string_view>

#include "calculator/inputs.h"

namespace valdenta::cli {

/// The value of `text` when it is exactly one number of the input fields'
/// grammar with nothing but blanks (0x20, 0x09-0x0D) around it.
std::optional<double> wholeNumber(std::string_view text) noexcept;

/// Why a text was not taken as an input value.
enum class InputVerdict { Accepted, NotANumber, Refused };

/// Reads `text` for `field`: the whole text must be a number that the
/// field's check accepts.  A NaN in a field with bounds is refused.  On
/// Accepted, `value` holds the number as read.
InputVerdict readInputText(const InputField& field, std::string_view text, double& value);

/// The reason in words, naming the text and the accepted range, for example
/// `"150" is refused (accepted: 0 <= x <= 100)`.
std::string verdictMessage(const InputField& field, std::string_view text, InputVerdict verdict);

}  // namespace valdenta::cli
