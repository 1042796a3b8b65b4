#include "formulas/fpcheck.h"

namespace valdenta {

namespace {

constexpr int kFaultFlags = FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID;

[[noreturn, gnu::cold, gnu::noinline]] void throwFault(int flags) {
    if (flags & FE_DIVBYZERO) throw FloatingPointError(FpFault::DivideByZero);
    if (flags & FE_OVERFLOW) throw FloatingPointError(FpFault::Overflow);
    throw FloatingPointError(FpFault::Invalid);
}

}  // namespace

#if defined(__x86_64__) && defined(__SSE2_MATH__)

// The <cfenv> calls are too slow for a check on every solver pass:
// feclearexcept() rewrites the whole x87 environment (about 100 ns here).
// Doubles live in SSE registers, but library code may use the x87 unit, so
// both status registers are read, and each is written only when it holds a
// flag.  Their flag bits have the values of the FE_ macros.
static_assert(FE_INVALID == 0x01 && FE_DIVBYZERO == 0x04 && FE_OVERFLOW == 0x08 &&
              FE_UNDERFLOW == 0x10 && FE_INEXACT == 0x20);

namespace {

constexpr unsigned kAllFlags = FE_ALL_EXCEPT;

unsigned x87Status() {
    unsigned short status;
    asm volatile("fnstsw %0" : "=m"(status));
    return status;
}

}  // namespace

void clearFpFlags() noexcept {
    const unsigned csr = __builtin_ia32_stmxcsr();
    if (csr & kAllFlags) __builtin_ia32_ldmxcsr(csr & ~kAllFlags);
    if (x87Status() & kAllFlags) asm volatile("fnclex");
}

void throwOnFpFault() {
    const int flags = static_cast<int>(__builtin_ia32_stmxcsr() | x87Status()) & kFaultFlags;
    if (flags != 0) throwFault(flags);
}

#else

void clearFpFlags() noexcept { std::feclearexcept(FE_ALL_EXCEPT); }

void throwOnFpFault() {
    const int flags = std::fetestexcept(kFaultFlags);
    if (flags != 0) throwFault(flags);
}

#endif

}  // namespace valdenta
