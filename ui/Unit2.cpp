#include "Unit2.h"

#include <QLabel>
#include <QPushButton>

namespace {

QLabel* addLabel(QWidget* parent, const char* name, const QString& caption, int left, int top) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(left, top);
    label->adjustSize();  // the design's widths are those of another font
    return label;
}

}  // namespace

TForm2::TForm2(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    setFixedSize(236, 105);
    move(269, 470);

    addLabel(this, "Label1", QStringLiteral("Valdenta"), 88, 16);
    addLabel(this, "Label2", QStringLiteral("Ver. 0.1"), 96, 32);
    addLabel(this, "Label3", QStringLiteral("2003/09/12"), 88, 48);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setGeometry(80, 72, 81, 25);
    connect(ok, &QPushButton::clicked, this, &TForm2::Button1Click);
}

void TForm2::Button1Click() {
    reject();  // closing a modal dialog ends it with the cancel result
}
