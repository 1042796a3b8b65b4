// Times one Calculate in the window: the computation and the refresh of all
// 26 fields.  Before each timed Calculate a Restore puts "***" into the output
// fields, so every refresh really rewrites them.  Runs offscreen unless
// QT_QPA_PLATFORM says otherwise.  Usage: measure_calculate [repetitions]

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <vector>

#include "Unit1.h"
#include "application.h"

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    configureApplication();
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;

    const auto form = createForms();
    form->show();
    QApplication::processEvents();

    std::vector<double> micros;
    micros.reserve(static_cast<std::size_t>(repetitions));
    QElapsedTimer timer;
    for (int i = 0; i < repetitions; ++i) {
        form->Restore();
        timer.start();
        form->Button1Click();
        micros.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e3);
        QApplication::processEvents();  // repaint outside the timed part, as between clicks
    }
    if (form->text(10) == "***") {
        std::fprintf(stderr, "Calculate did not refresh the fields\n");
        return 1;
    }

    std::sort(micros.begin(), micros.end());
    const auto at = [&](double q) {
        return micros[static_cast<std::size_t>(q * static_cast<double>(micros.size() - 1))];
    };
    const double mean = std::accumulate(micros.begin(), micros.end(), 0.0) /
                        static_cast<double>(micros.size());
    std::printf("Calculate + refresh of 26 fields, %d runs: median %.1f us, mean %.1f us, "
                "p99 %.1f us, max %.1f us\n",
                repetitions, at(0.5), mean, at(0.99), micros.back());
    return 0;
}
