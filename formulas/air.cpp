#include "formulas/air.h"

#include <cfenv>
#include <cmath>

#include "formulas/matherr.h"

namespace valdenta {

namespace {

constexpr double kKelvinOffset = 273.15;     // °C to K
constexpr double kRhoDryAir = 1.293;         // kg/m³ at 0 °C and 1013.25 hPa
constexpr double kReferencePressure = 1013.25;  // hPa
constexpr double kEpsilon = 0.622;           // molar mass ratio water vapour / dry air
constexpr double kOneMinusEpsilon = 0.378;   // 1 − 0.622

// pow() gave infinity for a finite exponent: 10^x has left the range of a
// double.  The math library's own report is issued, and its overflow flag is
// dropped so that the caller's step fails on the invalid operation that the
// infinite vapour pressure leads to.  The reporter may run a dialog whose own
// arithmetic must not leave flags in the caller's step, so they are restored.
[[gnu::cold, gnu::noinline]] void reportPowOverflow() {
    std::fexcept_t flags;
    std::fegetexceptflag(&flags, FE_ALL_EXCEPT);
    reportMathError("pow", "OVERFLOW");
    std::fesetexceptflag(&flags, FE_ALL_EXCEPT);
    std::feclearexcept(FE_OVERFLOW);
}

}  // namespace

double getRho(double Ta, double P, double e) {
    const double a = kKelvinOffset / (Ta + kKelvinOffset);
    const double b = P / kReferencePressure;
    const double c = 1 - (e / P) * kOneMinusEpsilon;
    return kRhoDryAir * a * b * c;
}

double getCp(double T) { return 0.05 * T + 1005; }

double getLv(double T) { return 2500000 - 2400 * T; }

double getEsat(double T) {
    const double x = 7.5 * T / (T + 237.3);
    const double power = std::pow(10.0, x);
    if (std::isinf(power) && std::isfinite(x)) [[unlikely]] reportPowOverflow();
    return power * 6.1078;
}

double getQsat(double T, double P) { return getQ(getEsat(T), P); }

double getQ(double e, double P) {
    const double r = e / P;
    return (kEpsilon * r) / (1 - kOneMinusEpsilon * r);
}

double getE(double q, double P) { return (P * q) / (kOneMinusEpsilon * q + kEpsilon); }

double getEfromRh(double f, double T) { return getEsat(T) * f; }

}  // namespace valdenta
