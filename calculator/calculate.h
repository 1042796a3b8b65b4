#pragma once
// The calculation: the twelve derived values from the ten inputs.

#include "formulas/solver.h"
#include "state.h"

namespace valdenta {

/// Derives Ea, Qa, Su, Ts (with Lu, H, LE), EsTs, QsTs, Rn, Bowen and Evap from
/// the inputs of `s`, in this order, storing each value the moment it is
/// computed.  A fault ends the calculation at its step with FloatingPointError
/// (or NonConvergenceError from the solver): values of earlier steps keep their
/// new values, the failing and later ones their old values.  `stats`, if
/// given, receives the solver's pass count and final imbalance.
void calculateState(CalcState& s, SolveStats* stats = nullptr);

/// The Bowen ratio stored when the latent heat flux is exactly zero.
inline constexpr double kBowenMarker = -999.0;

}  // namespace valdenta
