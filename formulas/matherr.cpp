#include "formulas/matherr.h"

#include <atomic>
#include <cstdio>

namespace valdenta {

namespace {

void writeToStderr(const std::string& text) {
    std::fputs(text.c_str(), stderr);
    std::fputc('\n', stderr);
}

std::atomic<MathErrorReporter> currentReporter{&writeToStderr};

}  // namespace

MathErrorReporter setMathErrorReporter(MathErrorReporter reporter) noexcept {
    return currentReporter.exchange(reporter != nullptr ? reporter : &writeToStderr);
}

void reportMathError(const char* function, const char* kind) {
    currentReporter.load()(std::string(function) + ": " + kind + " error");
}

}  // namespace valdenta
