#pragma once
// Further micrometeorological formulas of the library, used by no command of
// the window: saturation slopes, vapour density, psychrometer, pressure at a
// height, dew point, precipitable water, atmospheric long-wave radiation, the
// equilibrium surface temperature, Penman and Priestley-Taylor evaporation.

namespace valdenta {

double getPz(double P0, double T, double z);
double getDesdT(double T);
double getDqsdT(double T, double P);
double getRhov(double e, double T);
double getEfromRhov(double rhov, double T);
double getRhfromE(double e, double T);
double getEpsy(double T, double Tw, double P);
double getTdew(double e);
double getLdownClear(double T, double e);
double getLdown(double T, double e, double s);
double getScaledProduct(double a, double b);
double getW(double Td);
double getW2(double Td);
double getW2fromW(double w);
double getWfromW2(double w);
double getTsEq(double A, double T, double P, double& Lu, double& H, double& LE);
double getEpenman(double A, double T, double U, double e);
double getEpt(double A, double T);

}  // namespace valdenta
