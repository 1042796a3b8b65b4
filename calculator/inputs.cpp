#include "inputs.h"

#include <algorithm>
#include <cmath>

#include "formulas/errors.h"
#include "number.h"

namespace valdenta {

bool inRange(InputCheck check, double x) noexcept {
    switch (check) {
        case InputCheck::Any: return true;
        case InputCheck::Percent: return 0.0 <= x && x <= 100.0;
        case InputCheck::NonNegative: return x >= 0.0;
        case InputCheck::Positive: return x > 0.0;
        case InputCheck::Fraction: return 0.0 <= x && x <= 1.0;
    }
    return false;
}

// The field compares the value with its bounds, which for a NaN is the
// invalid operation; it is reported without touching the IEEE flags, so the
// check stays cheap.
bool accepts(InputCheck check, double x) {
    if (check != InputCheck::Any && std::isnan(x)) throw FloatingPointError(FpFault::Invalid);
    return inRange(check, x);
}

std::string_view rangeText(InputCheck check) noexcept {
    switch (check) {
        case InputCheck::Any: return "any number";
        case InputCheck::Percent: return "0 <= x <= 100";
        case InputCheck::NonNegative: return "x >= 0";
        case InputCheck::Positive: return "x > 0";
        case InputCheck::Fraction: return "0 <= x <= 1";
    }
    return "";
}

const std::array<InputField, 10> kInputFields{{
    {1, "Ta", &CalcState::Ta, InputCheck::Any},
    {2, "Rh", &CalcState::Rh, InputCheck::Percent},
    {3, "U", &CalcState::U, InputCheck::NonNegative},
    {4, "P", &CalcState::P, InputCheck::Positive},
    {7, "Albedo", &CalcState::Albedo, InputCheck::Fraction},
    {8, "Ch", &CalcState::Ch, InputCheck::Fraction},
    {9, "Beta", &CalcState::Beta, InputCheck::NonNegative},
    {13, "Sd", &CalcState::Sd, InputCheck::Any},
    {14, "Ld", &CalcState::Ld, InputCheck::Any},
    {20, "G", &CalcState::G, InputCheck::Any},
}};

const InputField* inputFieldOfEdit(int edit) noexcept {
    auto it = std::find_if(kInputFields.begin(), kInputFields.end(),
                           [edit](const InputField& f) { return f.edit == edit; });
    return it == kInputFields.end() ? nullptr : &*it;
}

const InputField* inputFieldNamed(std::string_view name) noexcept {
    auto it = std::find_if(kInputFields.begin(), kInputFields.end(),
                           [name](const InputField& f) { return f.name == name; });
    return it == kInputFields.end() ? nullptr : &*it;
}

bool applyInputText(const InputField& field, std::string_view text, CalcState& state) {
    const double x = parseNumber(text);
    if (!accepts(field.check, x)) return false;
    state.*field.value = x;
    return true;
}

}  // namespace valdenta
