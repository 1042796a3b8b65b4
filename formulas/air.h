#pragma once
// Air and moisture properties of moist air (Tetens form for saturation).
// Units: temperatures in °C, pressures and vapour pressures in hPa, specific
// humidity in kg/kg, relative humidity as a fraction 0..1.
// None of these checks its arguments; faults show in the IEEE flags, to be
// caught by a checked step (fpcheck.h).  Named intermediates are rounded to
// double; operands are evaluated in the order the equations show.

namespace valdenta {

/// Density of moist air, kg/m³.
///   Ta  air temperature, °C
///   P   air pressure, hPa
///   e   vapour pressure, hPa
/// ρ = 1.293 · a · b · c (multiplied from the left) with the doubles
///   a = 273.15 / (Ta + 273.15),  b = P / 1013.25,  c = 1 − (e / P) · 0.378.
/// getRho(0, 1013.25, 0) is exactly 1.293.
/// Reference: ideal gas law for moist air, dry-air density 1.293 kg/m³ at 0 °C, 1013.25 hPa.
/// Faults: division by zero at Ta = −273.15 and at P = 0.
double getRho(double Ta, double P, double e);

/// Specific heat of air at constant pressure, J/(kg·K).
///   T   temperature, °C
/// cp = 0.05 · T + 1005.
/// Reference: linear fit of cp of moist air near the surface.
/// Faults: none for finite T.
double getCp(double T);

/// Latent heat of vaporisation of water, J/kg.
///   T   temperature, °C
/// L = 2500000 − 2400 · T.
/// Reference: linear fit of the latent heat, 2.5 MJ/kg at 0 °C.
/// Faults: none for finite T.
double getLv(double T);

/// Saturation vapour pressure over water, hPa (the same form below 0 °C).
///   T   temperature, °C
/// es = 10^x · 6.1078 with the double x = 7.5 · T / (T + 237.3) and C pow().
/// getEsat(0) is exactly 6.1078.
/// Reference: Tetens 1930.
/// Faults: division by zero at T = −237.3.  For T between about −243.22 and
///   −237.3, 10^x exceeds the largest double: the math library's report
///   "pow: OVERFLOW error" is issued (matherr.h), the overflow flag is dropped
///   and +infinity is returned, so the next arithmetic on it (in getQ) raises
///   the invalid operation.  Just above −237.3 the result underflows to 0
///   silently.
double getEsat(double T);

/// Saturation specific humidity, kg/kg.
///   T   temperature, °C
///   P   air pressure, hPa
/// qs = getQ(getEsat(T), P).
/// Reference: Tetens 1930 with the specific humidity of getQ.
/// Faults: those of getEsat and getQ; in the overflow range of getEsat the
///   invalid operation ∞ / −∞ of getQ.
double getQsat(double T, double P);

/// Specific humidity from vapour pressure, kg/kg.
///   e   vapour pressure, hPa
///   P   air pressure, hPa
/// q = (0.622 · r) / (1 − 0.378 · r) with the double r = e / P.
/// Reference: definition of specific humidity, ε = 0.622.
/// Faults: division by zero at P = 0 (then also the invalid ∞ / −∞) and where
///   0.378 · e / P = 1 (e / P ≈ 2.6455); invalid operation for e = ±∞.
double getQ(double e, double P);

/// Vapour pressure from specific humidity, hPa; the inverse of getQ at the same P.
///   q   specific humidity, kg/kg
///   P   air pressure, hPa
/// e = (P · q) / (0.378 · q + 0.622).
/// Reference: definition of specific humidity, ε = 0.622.
/// Faults: division by zero where 0.378 · q + 0.622 = 0 (q ≈ −1.6455).
double getE(double q, double P);

/// Vapour pressure from relative humidity, hPa.
///   f   relative humidity as a fraction 0..1 (not per cent)
///   T   temperature, °C
/// e = getEsat(T) · f.
/// Reference: definition of relative humidity with Tetens 1930.
/// Faults: those of getEsat; in its overflow range the result is +∞ for f > 0
///   (the caller's next arithmetic on it fails) and ∞ · 0 is invalid for f = 0.
double getEfromRh(double f, double T);

}  // namespace valdenta
