#pragma once
// Text to number, independent of the locale.

#include <cstddef>
#include <string_view>

namespace valdenta {

/// The number at the start of a text and how many bytes it took.
struct ScannedNumber {
    double value = 0.0;
    std::size_t end = 0;  ///< bytes consumed, leading white space included; 0 if no number
};

/// Reads the longest prefix of `text` that forms a number (grammar: white space
/// 0x20 and 0x09-0x0D, an optional sign, "INF"/"NAN" in capitals after a sign,
/// decimal digits with at most one ".", an optional exponent).  The value is the
/// decimal number's first 19 significant digits rounded to the nearest double.
/// Never reads outside `text`; bytes 0x80 and above end a number.
ScannedNumber scanNumber(std::string_view text) noexcept;

/// The value of scanNumber(text): zero (with the sign read) when there is no number.
double parseNumber(std::string_view text) noexcept;

}  // namespace valdenta
