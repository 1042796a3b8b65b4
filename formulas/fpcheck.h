#pragma once
// Floating-point fault detection for computed steps.
//
// A step is checked by clearing the IEEE flags, computing it, and testing the
// divide-by-zero, overflow and invalid flags.  GCC has no FENV_ACCESS: at -O2 it
// may sink a computation past the flag test, or hoist it (or reuse an identical
// expression) before the clear.  So a step must read its operands after the
// clear (from memory that escapes, or through materialise()) and its value is
// materialised before the test.  checkedStep() does both ends of this.

#include <cfenv>

#include "errors.h"

namespace valdenta {

/// Clears the fault flags of the SSE and x87 units, so the next flag test sees
/// only what was computed after this call.  Underflow and inexact are never
/// tested; they are cleared along with the faults.
void clearFpFlags() noexcept;

/// Throws FloatingPointError if a fault flag is set.  When one step set several
/// flags, the first fault is reported: a division by zero or an overflow ranks
/// before the invalid operation that it leads to.
void throwOnFpFault();

/// Forces `v` to be computed here: the compiler may neither move its computation
/// past this point nor reuse a value computed before it.
template <class T>
inline void materialise(T& v) noexcept {
    asm volatile("" : "+m"(v));
}

template <class T, class... More>
inline void materialise(T& v, More&... more) noexcept {
    materialise(v);
    materialise(more...);
}

/// Computes one checked step: clear, compute, materialise, test.  `compute`
/// must read its operands after the clear (see above).  Throws on a fault, so
/// the caller stores nothing for a failing step.
template <class F>
inline auto checkedStep(F&& compute) {
    clearFpFlags();
    auto value = compute();
    materialise(value);
    throwOnFpFault();
    return value;
}

}  // namespace valdenta
