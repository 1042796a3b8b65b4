#include "application.h"

#include <QApplication>
#include <QFont>

#include <clocale>

#include "Unit1.h"
#include "Unit2.h"

void configureApplication() {
    std::setlocale(LC_NUMERIC, "C");
    // Not setApplicationDisplayName: on X11 that is appended to every caption.
    QCoreApplication::setApplicationName(QStringLiteral("Vorn"));
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(12);
    QApplication::setFont(font);
}

std::unique_ptr<TForm1> createForms() {
    auto form1 = std::make_unique<TForm1>();
    auto* form2 = new TForm2(form1.get());  // owned by the main window
    form1->setAboutDialog(form2);
    return form1;
}
