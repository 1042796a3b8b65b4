#pragma once
// The math library's own error report, "pow: OVERFLOW error" (format
// "%s: %s error"), which getEsat() issues when 10 to its exponent exceeds the
// largest double.  The window replaces the reporter with a message box; the
// default writes the text and a line feed to standard error.

#include <string>

namespace valdenta {

using MathErrorReporter = void (*)(const std::string& text);

/// Installs `reporter` (nullptr restores the default) and returns the previous one.
MathErrorReporter setMathErrorReporter(MathErrorReporter reporter) noexcept;

/// Formats "<function>: <kind> error" and hands it to the current reporter.
void reportMathError(const char* function, const char* kind);

}  // namespace valdenta
