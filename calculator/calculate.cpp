#include "calculate.h"

#include "formulas/air.h"
#include "formulas/fpcheck.h"

namespace valdenta {

// Every step reads its operands from `s` after the flags are cleared and is
// stored only when it raised no fault, so a fault leaves that step's value
// and all later ones as they were.
void calculateState(CalcState& s, SolveStats* stats) {
    s.Ea = checkedStep([&] { return getEfromRh(s.Rh * 0.01, s.Ta); });  // Rh is in per cent
    s.Qa = checkedStep([&] { return getQ(s.Ea, s.P); });
    s.Su = checkedStep([&] { return s.Sd * s.Albedo; });
    // Available energy: everything in the balance except the terms that depend on Ts.
    const double avail = checkedStep([&] { return s.Sd - s.Su + s.Ld - s.G; });
    s.Ts = solveTs(avail, s.U, s.Ta, s.Qa, s.P, s.Ch, s.Beta, s.Lu, s.H, s.LE, stats);
    s.EsTs = checkedStep([&] { return getEsat(s.Ts); });
    s.QsTs = checkedStep([&] { return getQsat(s.Ts, s.P); });
    s.Rn = checkedStep([&] { return s.Sd + s.Ld - s.Su - s.Lu; });
    // An exact zero latent heat flux gets the marker instead of a division.
    s.Bowen = checkedStep([&] { return s.LE == 0.0 ? kBowenMarker : s.H / s.LE; });
    // W/m² over the latent heat at the air temperature, over one day: kg/m² per day = mm/day.
    s.Evap = checkedStep([&] { return s.LE * 3600 * 24 / getLv(s.Ta); });
}

}  // namespace valdenta
