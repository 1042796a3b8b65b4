#pragma once
// The 22 values of one calculation as text for standard output.

#include <string>

#include "calculator/state.h"
#include "formulas/solver.h"

namespace valdenta::cli {

/// A table in file order: name, the value with the window's decimals, and the
/// window's label with its unit; then the solver's passes and imbalance.
/// Unlike the window, a negative Bowen ratio (and the marker -999 for a zero
/// latent heat flux) is printed as its value, not hidden.
std::string textReport(const CalcState& state, const SolveStats& solve);

/// A JSON object of the 22 values by name in file order (shortest round-trip
/// numbers, non-finite values as the strings "+INF", "-INF", "+NAN", "-NAN"),
/// followed by "solver": {"passes": ..., "imbalance": ...}.
std::string jsonReport(const CalcState& state, const SolveStats& solve);

/// A header line of the 22 names and one line of their shortest round-trip texts.
std::string csvReport(const CalcState& state);

}  // namespace valdenta::cli
