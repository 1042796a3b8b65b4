#pragma once
// Errors that end the running command.  The window shows what() in its error
// display (caption "Vorn", the message followed by a full stop); the command
// line prints it to standard error.  Messages are UTF-8.

#include <stdexcept>
#include <string>

namespace valdenta {

/// Base of every error that ends a command and reaches the error display.
class CommandError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The three IEEE faults that count as errors; underflow and inexact are silent.
enum class FpFault { DivideByZero, Overflow, Invalid };

/// A division by zero, an overflow or an invalid operation in a computed step.
class FloatingPointError : public CommandError {
public:
    explicit FloatingPointError(FpFault fault);
    FpFault fault() const noexcept { return fault_; }

private:
    FpFault fault_;
};

/// The message the error display shows for each fault (without the full stop).
const char* fpFaultMessage(FpFault fault) noexcept;

/// The surface temperature search ran out of passes without closing the balance.
class NonConvergenceError : public CommandError {
public:
    explicit NonConvergenceError(long passes);
    long passes() const noexcept { return passes_; }

private:
    long passes_;
};

}  // namespace valdenta
