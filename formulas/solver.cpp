#include "formulas/solver.h"

#include <cmath>

#include "formulas/air.h"
#include "formulas/fpcheck.h"

namespace valdenta {

namespace {

constexpr double kSigma = 5.67e-8;        // Stefan–Boltzmann constant, W/(m²·K⁴)
constexpr double kKelvinOffset = 273.15;  // °C to K
constexpr double kStartAboveAir = 10;     // first trial above Ta, °C
constexpr double kFirstStep = -20;        // °C
constexpr double kReverse = -0.5;         // applied to the step when R changes side
constexpr double kTolerance = 0.0005;     // on |R|, W/m²

// Everything a pass reads besides its trial temperature.  It is materialised
// at the start of every pass, so that no product of these (cp·rho·Ch·U, ...)
// is hoisted out of the loop, where its fault would escape the pass's check.
struct Balance {
    double Avail, U, Ta, Qa, P, Ch, Beta;
    double cp = 0, rho = 0, lv = 0;  // air properties at Ta, fixed for the search
};

struct Fluxes {
    double Lu, H, LE;
};

// Working state of the hunt: the trial temperature and step of the next pass,
// and what the last pass found.
struct Hunt {
    double T, step;
    Fluxes fluxes;
    double R;
    bool closed;
};

// The checked preparation: the air properties at Ta and the first trial.
Hunt prepare(Balance& b) {
    clearFpFlags();
    materialise(b);
    b.cp = getCp(b.Ta);
    const double e = getE(b.Qa, b.P);
    b.rho = getRho(b.Ta, b.P, e);
    b.lv = getLv(b.Ta);
    Hunt h{};
    h.T = b.Ta + kStartAboveAir;
    h.step = kFirstStep;
    materialise(b, h);
    throwOnFpFault();
    return h;
}

bool oppositeSigns(double R, double step) { return (R > 0 && step < 0) || (R < 0 && step > 0); }

// One checked pass at h.T; on return h holds its fluxes and R, and the step
// and trial temperature of the next pass.  The pass starts with no fault flag
// set: the check of the preparation or of the previous pass found none, so
// that check serves as this pass's clear.
void runPass(Balance& b, Hunt& h) {
    materialise(b, h.T, h.step);
    const double qs = getQsat(h.T, b.P);
    const double K = h.T + kKelvinOffset;
    h.fluxes.Lu = K * kSigma * K * K * K;
    h.fluxes.H = b.cp * b.rho * b.Ch * b.U * (h.T - b.Ta);
    h.fluxes.LE = b.lv * b.rho * b.Beta * b.Ch * b.U * (qs - b.Qa);
    h.R = b.Avail - h.fluxes.Lu - h.fluxes.H - h.fluxes.LE;
    if (oppositeSigns(h.R, h.step)) h.step *= kReverse;
    h.T += h.step;
    h.closed = !(std::fabs(h.R) > kTolerance);
    materialise(h);
    throwOnFpFault();
}

double surfaceTemperature(double Lu) {
    return checkedStep([Lu]() mutable {
        materialise(Lu);
        return std::sqrt(std::sqrt(Lu / kSigma)) - kKelvinOffset;
    });
}

template <class Trace>
double hunt(Balance b, double& Lu, double& H, double& LE, SolveStats* stats, Trace trace) {
    Hunt h = prepare(b);
    long pass = 0;
    for (;;) {
        ++pass;
        const double T = h.T;
        runPass(b, h);
        trace(SolvePass{pass, T, h.R, h.step});
        if (h.closed) break;
        if (pass == kMaxSolverPasses) throw NonConvergenceError(pass);
    }
    const double Ts = surfaceTemperature(h.fluxes.Lu);
    Lu = h.fluxes.Lu;
    H = h.fluxes.H;
    LE = h.fluxes.LE;
    if (stats != nullptr) *stats = SolveStats{pass, h.R};
    return Ts;
}

}  // namespace

double solveTs(double Avail, double U, double Ta, double Qa, double P, double Ch, double Beta,
               double& Lu, double& H, double& LE, SolveStats* stats) {
    return hunt(Balance{Avail, U, Ta, Qa, P, Ch, Beta}, Lu, H, LE, stats, [](const SolvePass&) {});
}

double solveTsTraced(double Avail, double U, double Ta, double Qa, double P, double Ch,
                     double Beta, double& Lu, double& H, double& LE, SolveStats* stats,
                     SolvePassTrace trace, void* context) {
    return hunt(Balance{Avail, U, Ta, Qa, P, Ch, Beta}, Lu, H, LE, stats,
                [trace, context](const SolvePass& pass) {
                    trace(pass, context);
                    clearFpFlags();  // the trace's own arithmetic is no fault of the search
                });
}

}  // namespace valdenta
