#pragma once
// Number to text, independent of the locale.

#include <string>

namespace valdenta {

/// C "%.Nf" text of `v` with "." as the separator, a leading "-" for negative
/// values (negative zero too), and "+INF", "-INF", "+NAN", "-NAN" for
/// non-finite values, which parseNumber() reads back as themselves.
std::string formatFixed(double v, int decimals);

/// The shortest text that reads back to the same double (non-finite values as
/// in formatFixed).
std::string formatShortest(double v);

/// The text of a value that is not shown.
inline constexpr const char* kHiddenText = "***";

}  // namespace valdenta
