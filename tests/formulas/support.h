#pragma once
// Helpers shared by the tests of the formula library.

#include <cmath>
#include <ostream>

#include "formulas/errors.h"

namespace valdenta {

// Names the fault in assertion messages instead of its bytes.
inline void PrintTo(FpFault fault, std::ostream* out) {
    switch (fault) {
        case FpFault::DivideByZero: *out << "DivideByZero"; return;
        case FpFault::Overflow: *out << "Overflow"; return;
        case FpFault::Invalid: *out << "Invalid"; return;
    }
}

namespace test {

/// Half a unit of the last quoted decimal: a value quoted to `decimals`
/// places matches when it lies within this of the reference.
inline double halfUnit(int decimals) { return 0.5 * std::pow(10.0, -decimals); }

}  // namespace test
}  // namespace valdenta
