#include "cli/input_text.h"

#include "calculator/number.h"

namespace valdenta::cli {

namespace {

bool isBlank(char c) noexcept {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

std::optional<double> wholeNumber(std::string_view text) noexcept {
    const ScannedNumber number = scanNumber(text);
    if (number.end == 0) {
        return std::nullopt;
    }
    for (const char c : text.substr(number.end)) {
        if (!isBlank(c)) {
            return std::nullopt;
        }
    }
    return number.value;
}

InputVerdict readInputText(const InputField& field, std::string_view text, double& value) {
    const std::optional<double> number = wholeNumber(text);
    if (!number) {
        return InputVerdict::NotANumber;
    }
    if (!inRange(field.check, *number)) {  // a NaN in a bounded field is refused
        return InputVerdict::Refused;
    }
    value = *number;
    return InputVerdict::Accepted;
}

std::string verdictMessage(const InputField& field, std::string_view text, InputVerdict verdict) {
    std::string message = "\"";
    message += text;
    message += "\" is ";
    message += verdict == InputVerdict::NotANumber ? "not a number" : "refused";
    message += " (accepted: ";
    message += rangeText(field.check);
    message += ')';
    return message;
}

}  // namespace valdenta::cli
