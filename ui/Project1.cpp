// Valdenta: a heat balance calculator for a land surface.

#include <QApplication>

#include "Unit1.h"
#include "application.h"
#include "errordisplay.h"
#include "formulas/errors.h"
#include "startuptiming.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    configureApplication();
    try {
        const auto form1 = createForms();
        watchFirstPaint(form1.get());
        form1->show();
        QApplication::exec();
    } catch (const valdenta::CommandError& e) {
        showErrorMessage(nullptr, e.what());
    }
    return 0;
}
