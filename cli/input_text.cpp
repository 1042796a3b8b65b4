#include "cli/input_text.h"

#include <cmath>

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

bool acceptsQuietly(InputCheck check, double x) noexcept {
    if (check == InputCheck::Any) {
        return true;
    }
    if (std::isnan(x)) {
        return false;  // a field would not store it either
    }
    switch (check) {
        case InputCheck::Any:
            return true;
        case InputCheck::Percent:
            return 0.0 <= x && x <= 100.0;
        case InputCheck::NonNegative:
            return x >= 0.0;
        case InputCheck::Positive:
            return x > 0.0;
        case InputCheck::Fraction:
            return 0.0 <= x && x <= 1.0;
    }
    return false;
}

InputVerdict readInputText(const InputField& field, std::string_view text, double& value) {
    const std::optional<double> number = wholeNumber(text);
    if (!number) {
        return InputVerdict::NotANumber;
    }
    if (!acceptsQuietly(field.check, *number)) {
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
