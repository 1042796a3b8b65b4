#include "display.h"

#include <algorithm>
#include <charconv>  // to_chars: exact decimal expansion, ties to even, no locale
#include <cmath>
#include <limits>

namespace valdenta {

namespace {

/// Digits before the point of the largest double (1.8e308 has 309).
constexpr int kMaxIntegerDigits = std::numeric_limits<double>::max_exponent10 + 1;

/// Text of a non-finite value, as parseNumber() reads it back.
std::string nonFiniteText(double v) {
    const bool negative = std::signbit(v);
    if (std::isinf(v)) {
        return negative ? "-INF" : "+INF";
    }
    return negative ? "-NAN" : "+NAN";
}

}  // namespace

std::string formatFixed(double v, int decimals) {
    if (!std::isfinite(v)) {
        return nonFiniteText(v);
    }
    decimals = std::max(decimals, 0);
    // Sign, integer digits, point and decimals of any finite double.
    std::string text(static_cast<std::size_t>(1 + kMaxIntegerDigits + 1 + decimals), '\0');
    const auto result =
        std::to_chars(text.data(), text.data() + text.size(), v, std::chars_format::fixed, decimals);
    text.resize(static_cast<std::size_t>(result.ptr - text.data()));
    return text;
}

std::string formatShortest(double v) {
    if (!std::isfinite(v)) {
        return nonFiniteText(v);
    }
    char buffer[32];  // "-2.2250738585072014e-308" is the longest shortest form
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    return std::string(buffer, result.ptr);
}

}  // namespace valdenta
