#pragma once
// Further micrometeorological formulas of the library, used by no command of
// the window: saturation slopes, vapour density, psychrometer, pressure at a
// height, dew point, precipitable water, atmospheric long-wave radiation, the
// equilibrium surface temperature, Penman and Priestley-Taylor evaporation.
//
// Units as in air.h: temperatures in °C (K = T + 273.15), pressures and vapour
// pressures in hPa, radiation and fluxes in W/m².  Named intermediates are
// doubles.  Divisions by 0.0065, 0.2167, 6.11 and 5.67e-8 are multiplications
// by the reciprocals 153.84615384615384, 4.6146746654360866,
// 0.16366612111292961 and 17636684.303350970.  No function checks its
// arguments; faults show in the IEEE flags, to be caught by a checked step
// (fpcheck.h).  A temperature of −273.15 °C divides by zero wherever K is a
// divisor.  Only the power of getEsat issues the "pow: OVERFLOW error" report;
// an overflowing power elsewhere raises the overflow flag like any arithmetic.

namespace valdenta {

/// Pressure at a height above a reference level, hPa.
///   P0  pressure at the reference level, hPa
///   T   temperature at the reference level, °C
///   z   height above the reference level, m
/// P = P0 · base^n with the doubles K = T + 273.15, base = (K − 0.0065 · z) / K
/// and n = 9.8066 / 287 / 0.0065 = 5.256821227552935 (C pow).  z = 0 gives P0 exactly.
/// Reference: barometric formula of the standard atmosphere, lapse rate 0.0065 K/m.
/// Faults: division by zero at T = −273.15; invalid operation where base < 0
///   (z above K / 0.0065).
double getPz(double P0, double T, double z);

/// Slope of the saturation vapour pressure curve, hPa/K.
///   T   temperature, °C
/// de/dT = 10^x · (n / d) with the doubles n = (2500 − 2.4 · T) · 6.1078,
/// d = 0.4615 · (T + 273.15) · (T + 273.15) and x = 7.5 · T / (237.3 + T):
/// Tetens es times L (J/g) over R_v (J/(g·K)) and K².
/// Reference: Clausius–Clapeyron equation with Tetens 1930.
/// Faults: division by zero at T = −237.3 and at T = −273.15; overflow of 10^x
///   for T between about −243.22 and −237.3.
double getDesdT(double T);

/// Slope of the saturation specific humidity curve, kg/kg per K.
///   T   temperature, °C
///   P   air pressure, hPa
/// dqs/dT = getDesdT(T) · 0.622 · P / (d · d) with the double d = P − 0.378 · getEsat(T).
/// Reference: derivative of getQsat, Clausius–Clapeyron with Tetens 1930.
/// Faults: those of getEsat and getDesdT; division by zero where P = 0.378 · getEsat(T).
double getDqsdT(double T, double P);

/// Vapour density (absolute humidity), kg/m³.
///   e   vapour pressure, hPa
///   T   temperature, °C
/// ρv = e / (T + 273.15) · 0.2167.
/// Reference: ideal gas law for water vapour.
/// Faults: division by zero at T = −273.15.
double getRhov(double e, double T);

/// Vapour pressure from vapour density, hPa; the inverse of getRhov.
///   rhov  vapour density, kg/m³
///   T     temperature, °C
/// e = (T + 273.15) · ρv / 0.2167.
/// Reference: ideal gas law for water vapour.
/// Faults: none for finite arguments of ordinary size.
double getEfromRhov(double rhov, double T);

/// Relative humidity as a fraction (1 = saturated); the inverse of getEfromRh.
///   e   vapour pressure, hPa
///   T   temperature, °C
/// f = e / getEsat(T).
/// Reference: definition of relative humidity with Tetens 1930.
/// Faults: those of getEsat; division by zero where getEsat(T) underflows to 0
///   (just above −237.3).
double getRhfromE(double e, double T);

/// Vapour pressure from a psychrometer, hPa.
///   T   dry-bulb temperature, °C
///   Tw  wet-bulb temperature, °C
///   P   air pressure, hPa
/// e = es − (1 + 0.00115 · Tw) · 0.00066 · dT · P with the doubles
/// es = getEsat(Tw) and dT = T − Tw.  T = Tw gives getEsat(Tw).
/// Reference: psychrometer equation with Ferrel's coefficient 0.00066 · (1 + 0.00115 · Tw) /K.
/// Faults: those of getEsat at Tw.
double getEpsy(double T, double Tw, double P);

/// Dew point, °C; the inverse of the Tetens form with the coefficient 6.11.
///   e   vapour pressure, hPa
/// Td = 237.3 · a / (7.5 − a) with the double a = log10(e / 6.11).
/// getTdew(6.11) is exactly 0; getTdew(getEsat(T)) lies a few thousandths of a
/// degree below T, since getEsat uses 6.1078.
/// Unless e > 0 (a NaN included) it first writes the line
/// `getTdew: warning: "e" is 0.0 (hPa).` to standard error, then evaluates the
/// same expression: NaN results, with the division-by-zero flag of log10(0)
/// for e = 0 and the invalid flag of the logarithm for e < 0.
/// Reference: Tetens 1930, inverted.
/// Faults: division by zero at e = 0 and where a = 7.5 (e ≈ 1.93e8 hPa);
///   invalid operation for e < 0.
double getTdew(double e);

/// Atmospheric long-wave radiation under a clear sky, W/m².
///   T   air temperature, °C
///   e   vapour pressure, hPa
/// L = B · ((0.19 · x + 0.74) + 0.07 · x · x) with the doubles
/// w = getW(getTdew(e)), x = log10(w) and B = 5.67e-8 · K · K · K · K.
/// Reference: clear-sky emissivity as a quadratic in log10 of precipitable water.
/// Faults: those of getTdew (e ≤ 0 also writes its warning).
double getLdownClear(double T, double e);

/// Atmospheric long-wave radiation under a partly sunny sky, W/m².
///   T   air temperature, °C
///   e   vapour pressure, hPa
///   s   relative sunshine duration, 0..1
/// L = (1 − (1 − Lc / B) · C) · B with the doubles B = 5.67e-8 · K · K · K · K,
/// Lc = getLdownClear(T, e) and
/// C = ((0.826 s) s) s − (1.234 s) s + 1.135 s + 0.298, or C = 0.2235 for
/// s = 0 or NaN.  C is 1.025 at s = 1.
/// Reference: cloud correction of the clear-sky radiation by sunshine duration.
/// Faults: those of getLdownClear; division by zero at T = −273.15.
double getLdown(double T, double e, double s);

/// 7.500000000000001e-5 · a · b (from the left).  The constant is the double
/// one unit in the last place above the one nearest to 7.5e-5.
/// Reference: scaled product of the library, no physical unit of its own.
/// Faults: overflow for products beyond the range of a double.
double getScaledProduct(double a, double b);

/// Precipitable water, cm, first coefficient set.
///   Td  dew point, °C
/// w = 10^x with the double x = 0.0315 · Td − 0.1836.  getW(10) ≈ 1.353.
/// Reference: exponential fit of precipitable water to the surface dew point (Reitan 1963 form).
/// Faults: overflow of 10^x for Td above about 9790.
double getW(double Td);

/// Precipitable water, cm, second coefficient set.
///   Td  dew point, °C
/// w = 10^x with the double x = 0.0312 · Td − 0.0963.  getW2(10) ≈ 1.643.
/// Reference: exponential fit of precipitable water to the surface dew point (Reitan 1963 form).
/// Faults: overflow of 10^x for Td above about 9880.
double getW2(double Td);

/// Precipitable water on the scale of getW2 from one on the scale of getW, cm.
///   w   precipitable water (getW scale), cm
/// 1.234 · w − 0.021; near-inverse of getWfromW2 (within 3 % for Td 0..30 °C).
/// Reference: linear map between the two coefficient sets.
/// Faults: none for finite w of ordinary size.
double getW2fromW(double w);

/// Precipitable water on the scale of getW from one on the scale of getW2, cm.
///   w   precipitable water (getW2 scale), cm
/// 0.808 · w + 0.021; near-inverse of getW2fromW.
/// Reference: linear map between the two coefficient sets.
/// Faults: none for finite w of ordinary size.
double getWfromW2(double w);

/// Equilibrium surface temperature, °C, and its energy partition.
///   A   available energy, W/m² (global radiation − reflected + atmospheric − ground flux)
///   T   air temperature, °C
///   P   air pressure, hPa
///   Lu, H, LE  out: upward long-wave radiation, sensible and latent heat flux, W/m²
/// With the doubles g = getCp(T) / getLv(T), s = getDqsdT(T, P),
/// Q = A − 5.67e-8 · K · K · K · K, H = g / (g + s) · Q, LE = s / (g + s) · Q and
/// Lu = A − H − LE (stored in this order), returns √(√(Lu / 5.67e-8)) − 273.15,
/// which is T up to rounding.
/// Reference: equilibrium evaporation partition (Slatyer and McIlroy 1961).
/// Faults: those of getDqsdT; division by zero where g + s = 0; invalid
///   operation where Lu < 0.
double getTsEq(double A, double T, double P, double& Lu, double& H, double& LE);

/// Penman evaporation: radiation term plus wind term.
///   A   available energy (J/m² per day makes the two terms agree)
///   T   air temperature, °C
///   U   wind speed, m/s
///   e   vapour pressure, hPa
/// E = r + v with the doubles L = getLv(T), Δ = getDesdT(T), γ = 0.66,
/// f = (0.54 · U + 1) · 0.26, r = Δ / (Δ + γ) · (A / L) and
/// v = (getEsat(T) − e) · (γ / (Δ + γ) · f).  v is in mm/day; r is A / L in
/// kg/m² per the time unit of A; nothing is converted.
/// Reference: Penman 1948.
/// Faults: those of getDesdT and getEsat; division by zero at T = 2500000 / 2400
///   (L = 0) and where Δ + γ = 0.
double getEpenman(double A, double T, double U, double e);

/// Priestley–Taylor evaporation, in the unit of A / L as for getEpenman.
///   A   available energy
///   T   air temperature, °C
/// E = 1.26 · Δ / (Δ + γ) · (A / L) with the doubles L = getLv(T), Δ = getDesdT(T), γ = 0.66.
/// Reference: Priestley and Taylor 1972.
/// Faults: those of getDesdT; division by zero where L = 0 or Δ + γ = 0.
double getEpt(double A, double T);

}  // namespace valdenta
