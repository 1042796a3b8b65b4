#pragma once
// Surface temperature from the surface energy balance.

namespace valdenta {

/// How a solve ended: the number of passes and the imbalance R of the last pass (W/m²).
struct SolveStats {
    long passes = 0;
    double imbalance = 0.0;
};

/// Passes after which solveTs() gives up with NonConvergenceError.
inline constexpr long kMaxSolverPasses = 100000;

/// Surface temperature (°C) at which Avail = Lu + H + LE.  Avail, Lu, H, LE in
/// W/m²; U m/s; Ta °C; Qa kg/kg; P hPa; Ch, Beta dimensionless.  Lu, H and LE
/// are written once, after the search.  Throws FloatingPointError on a fault in
/// any pass and NonConvergenceError after kMaxSolverPasses passes; in both
/// cases the outputs are not written.  `stats`, if given, receives the pass
/// count and final imbalance.
///
/// Method: a hunt with a fixed step that is reversed and halved whenever it
/// has stepped past the balance.  The air properties are those of Ta, fixed
/// for the search: cp = getCp(Ta), e = getE(Qa, P), rho = getRho(Ta, P, e),
/// lv = getLv(Ta).  The first trial is T = Ta + 10 with the step −20.  Each
/// pass, at trial temperature T with K = T + 273.15 and σ = 5.67e-8:
///   qs = getQsat(T, P)
///   Lu = K · σ · K · K · K                   (emissivity 1)
///   H  = cp · rho · Ch · U · (T − Ta)
///   LE = lv · rho · Beta · Ch · U · (qs − Qa)
///   R  = Avail − Lu − H − LE                 (all products and differences from the left)
/// If R and the step have opposite signs the step is multiplied by −0.5; then
/// T += step.  The search ends on the first pass with |R| ≤ 0.0005 W/m²; its
/// Lu, H and LE are the outputs and Ts = √(√(Lu / σ)) − 273.15, the trial
/// temperature of that pass, not the one left by its final move.  Ordinary
/// inputs need 20 to 40 passes.
/// Reference: surface energy balance with bulk transfer formulas for the
///   sensible and latent heat fluxes and Stefan–Boltzmann emission.
/// Faults: the preparation, every pass and the final root are checked steps;
///   a fault in one (for instance a trial temperature at the singular points
///   of getEsat, between about −243.22 and −237.3 °C) throws FloatingPointError.
///   No wind (U = 0 or Ch = 0) with Avail < −0.0005, or any input for which
///   no double brings |R| down to 0.0005, ends in NonConvergenceError.
double solveTs(double Avail, double U, double Ta, double Qa, double P, double Ch, double Beta,
               double& Lu, double& H, double& LE, SolveStats* stats = nullptr);

/// One pass of the search, as handed to a SolvePassTrace once the pass has
/// passed its fault check: the trial temperature T (°C), the imbalance R
/// (W/m²) and the step (°C) after the reversal, so the next trial is T + step.
struct SolvePass {
    long pass = 0;
    double T = 0.0;
    double imbalance = 0.0;
    double step = 0.0;
};

using SolvePassTrace = void (*)(const SolvePass& pass, void* context);

/// solveTs() that also hands every pass to `trace` with `context`, to inspect
/// the course of the search.  Same results, outputs and errors as solveTs().
double solveTsTraced(double Avail, double U, double Ta, double Qa, double P, double Ch,
                     double Beta, double& Lu, double& H, double& LE, SolveStats* stats,
                     SolvePassTrace trace, void* context);

}  // namespace valdenta
