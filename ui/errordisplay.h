#pragma once
// The application's error display and the math library's own message box.

#include <QString>

#include <string>

class QWidget;

/// The caption of every error box: the application title.
inline constexpr const char* kApplicationTitle = "Vorn";

/// Shows an error modally: a stop icon, caption "Vorn", the message followed
/// by a full stop (always appended), and one OK button.
void showErrorMessage(QWidget* parent, const QString& message);
void showErrorMessage(QWidget* parent, const char* utf8Message);

/// The math library's report (for example "pow: OVERFLOW error") as a message
/// box captioned with the program's file name.  Installed as the
/// MathErrorReporter while a window runs the calculator.
void showMathErrorBox(const std::string& text);
