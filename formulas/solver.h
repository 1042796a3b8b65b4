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
double solveTs(double Avail, double U, double Ta, double Qa, double P, double Ch, double Beta,
               double& Lu, double& H, double& LE, SolveStats* stats = nullptr);

}  // namespace valdenta
