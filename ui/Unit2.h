#pragma once
// The About dialog: product name, version and its date.  Created once at
// start-up, hidden, and shown modally by Help > About.

#include <QDialog>

class TForm2 : public QDialog {
    Q_OBJECT

public:
    explicit TForm2(QWidget* parent = nullptr);

public slots:
    void Button1Click();
};
