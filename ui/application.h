#pragma once
// Start-up steps shared by the program and its tests.

#include <memory>

class TForm1;

/// Right after the QApplication exists: the C locale for numbers (QApplication
/// sets the user's locale, whose decimal comma would break "%f"-style text),
/// the application title "Vorn" (task bar and window class), and the window
/// font, IPA P Gothic at 12 pixels.
void configureApplication();

/// Creates the main window (which fills its fields from the defaults while it
/// is created), then the hidden About dialog.  Neither is shown yet.
std::unique_ptr<TForm1> createForms();
