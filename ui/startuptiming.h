#pragma once
// Start-up timing for scripts/measure-window.  With VALDENTA_TIMING=1 in the
// environment, the program prints the time from VALDENTA_T0 (nanoseconds since
// the epoch, as `date +%s%N` gives, taken just before the program starts) to the
// first paint of the main window, then quits.  Without the variable it does nothing.

class QWidget;

void watchFirstPaint(QWidget* window);
