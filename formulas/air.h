#pragma once
// Air and moisture properties of moist air (Tetens form for saturation).
// Units: temperatures in °C, pressures and vapour pressures in hPa, specific
// humidity in kg/kg, relative humidity as a fraction 0..1.
// None of these checks its arguments; faults show in the IEEE flags.

namespace valdenta {

double getRho(double Ta, double P, double e);   ///< density of moist air, kg/m³
double getCp(double T);                         ///< specific heat of air, J/(kg·K)
double getLv(double T);                         ///< latent heat of vaporisation, J/kg
double getEsat(double T);                       ///< saturation vapour pressure, hPa
double getQsat(double T, double P);             ///< saturation specific humidity, kg/kg
double getQ(double e, double P);                ///< specific humidity, kg/kg
double getE(double q, double P);                ///< vapour pressure, hPa
double getEfromRh(double f, double T);          ///< vapour pressure from RH fraction, hPa

}  // namespace valdenta
