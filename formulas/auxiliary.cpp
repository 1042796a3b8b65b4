#include "formulas/auxiliary.h"

#include <cmath>
#include <cstdio>

#include "formulas/air.h"

namespace valdenta {

namespace {

constexpr double kKelvinOffset = 273.15;  // °C to K
constexpr double kSigma = 5.67e-8;        // Stefan–Boltzmann constant, W/(m²·K⁴)
constexpr double kGamma = 0.66;           // psychrometric constant, hPa/K

// Divisions by these constants are multiplications by their reciprocals,
// held as the doubles nearest to the extended-precision reciprocals.
constexpr double kInvLapseRate = 153.84615384615384;    // 1 / 0.0065 m/K
constexpr double kInvVapourDensity = 4.6146746654360866;  // 1 / 0.2167
constexpr double kInvEs0 = 0.16366612111292961;           // 1 / 6.11 hPa
constexpr double kInvSigma = 17636684.303350970;          // 1 / 5.67e-8

// g / (R_d · Γ) of the standard atmosphere: 9.8066 / 287 / 0.0065.
constexpr double kBarometricExponent = 9.8066 / 287 * kInvLapseRate;
static_assert(kBarometricExponent == 5.256821227552935);

// σ · K⁴ with K = T + 273.15, multiplied from the left starting with σ · K.
double blackBody(double T) {
    const double K = T + kKelvinOffset;
    return kSigma * K * K * K * K;
}

}  // namespace

double getPz(double P0, double T, double z) {
    const double K = T + kKelvinOffset;
    const double base = (K - 0.0065 * z) / K;
    return P0 * std::pow(base, kBarometricExponent);
}

double getDesdT(double T) {
    const double n = (2500 - 2.4 * T) * 6.1078;
    const double d = 0.4615 * (T + kKelvinOffset) * (T + kKelvinOffset);
    const double x = 7.5 * T / (237.3 + T);
    return std::pow(10.0, x) * (n / d);
}

double getDqsdT(double T, double P) {
    const double d = P - 0.378 * getEsat(T);
    return getDesdT(T) * 0.622 * P / (d * d);
}

double getRhov(double e, double T) { return e / (T + kKelvinOffset) * 0.2167; }

double getEfromRhov(double rhov, double T) { return (T + kKelvinOffset) * rhov * kInvVapourDensity; }

double getRhfromE(double e, double T) { return e / getEsat(T); }

double getEpsy(double T, double Tw, double P) {
    const double es = getEsat(Tw);
    const double dT = T - Tw;
    return es - (1 + 0.00115 * Tw) * 0.00066 * dT * P;
}

double getTdew(double e) {
    // A quiet comparison: a NaN e gets the warning without an invalid-operation flag.
    if (!std::isgreater(e, 0.0)) std::fputs("getTdew: warning: \"e\" is 0.0 (hPa).\n", stderr);
    const double a = std::log10(e * kInvEs0);
    return 237.3 * a / (7.5 - a);
}

double getLdownClear(double T, double e) {
    const double w = getW(getTdew(e));
    const double x = std::log10(w);
    return blackBody(T) * ((0.19 * x + 0.74) + 0.07 * x * x);
}

double getLdown(double T, double e, double s) {
    const double B = blackBody(T);
    double C = 0.826 * s * s * s - 1.234 * s * s + 1.135 * s + 0.298;
    if (s == 0 || std::isnan(s)) C = 0.2235;
    const double L = getLdownClear(T, e);
    return (1 - (1 - L / B) * C) * B;
}

double getScaledProduct(double a, double b) { return 7.500000000000001e-5 * a * b; }

double getW(double Td) {
    const double x = 0.0315 * Td - 0.1836;
    return std::pow(10.0, x);
}

double getW2(double Td) {
    const double x = 0.0312 * Td - 0.0963;
    return std::pow(10.0, x);
}

double getW2fromW(double w) { return 1.234 * w - 0.021; }

double getWfromW2(double w) { return 0.808 * w + 0.021; }

double getTsEq(double A, double T, double P, double& Lu, double& H, double& LE) {
    const double g = getCp(T) / getLv(T);
    const double s = getDqsdT(T, P);
    const double Q = A - blackBody(T);
    const double h = g / (g + s) * Q;
    const double le = s / (g + s) * Q;
    const double lu = A - h - le;
    Lu = lu;
    H = h;
    LE = le;
    return std::sqrt(std::sqrt(lu * kInvSigma)) - kKelvinOffset;
}

double getEpenman(double A, double T, double U, double e) {
    const double L = getLv(T);
    const double delta = getDesdT(T);
    const double f = (0.54 * U + 1) * 0.26;
    const double r = delta / (delta + kGamma) * (A / L);
    const double v = (getEsat(T) - e) * (kGamma / (delta + kGamma) * f);
    return r + v;
}

double getEpt(double A, double T) {
    const double L = getLv(T);
    const double delta = getDesdT(T);
    return 1.26 * delta / (delta + kGamma) * (A / L);
}

}  // namespace valdenta
