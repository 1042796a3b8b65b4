#include "errordisplay.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

void showErrorMessage(QWidget* parent, const QString& message) {
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kApplicationTitle),
                    message + QLatin1Char('.'), QMessageBox::Ok, parent);
    box.exec();
}

void showErrorMessage(QWidget* parent, const char* utf8Message) {
    showErrorMessage(parent, QString::fromUtf8(utf8Message));
}

void showMathErrorBox(const std::string& text) {
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    QMessageBox box(QMessageBox::Critical, program, QString::fromStdString(text),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}
