#pragma once
// What the 26 fields show, and the two refreshes that rewrite them.

#include <array>
#include <string>
#include <string_view>

#include "fields.h"
#include "state.h"

namespace valdenta {

/// One field of the window in refresh order: the value behind it, its label
/// and the decimals of its text.
struct DisplayField {
    int edit;                   ///< edit field number (Edit1 ... Edit26)
    double CalcState::*value;
    int decimals;
    std::string_view label;     ///< the label beside the field (UTF-8)
};

/// The 26 fields in refresh order (Edit26, the evaporation, comes between
/// Edit21 and Edit22, the heat-balance row).
extern const std::array<DisplayField, kFieldCount> kDisplayFields;

/// The text of a Bowen ratio: hidden for negative values, which covers the
/// -999 marker of a zero latent heat flux and opposite-signed fluxes.
std::string bowenText(double bowen);

/// Restore refresh: the ten input fields formatted, every output field "***".
/// Each value is read from `state` when its field is written, since writing an
/// input field may store the field's rounded value back into `state`.
void restoreRefresh(const CalcState& state, FieldTexts& fields);

/// Calculate refresh: every field formatted from `state`, Bowen by bowenText().
void calculateRefresh(const CalcState& state, FieldTexts& fields);

}  // namespace valdenta
