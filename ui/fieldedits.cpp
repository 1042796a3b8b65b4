#include "fieldedits.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPalette>

#include <algorithm>
#include <array>

InputEdit::InputEdit(QWidget* parent) : QLineEdit(parent) {}

QVariant InputEdit::inputMethodQuery(Qt::InputMethodQuery query) const {
    if (query == Qt::ImEnabled)
        return false;
    return QLineEdit::inputMethodQuery(query);
}

QLineEdit* makeOutputEdit(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::ClickFocus);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, QApplication::palette().color(QPalette::Button));
    edit->setPalette(palette);
    return edit;
}

bool MenuKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    static constexpr std::array<QKeyCombination, 5> menuKeys{
        Qt::CTRL | Qt::Key_C, Qt::CTRL | Qt::Key_M, Qt::CTRL | Qt::Key_R,
        Qt::CTRL | Qt::Key_F, Qt::CTRL | Qt::Key_E};
    if (event->type() == QEvent::ShortcutOverride) {
        const QKeyCombination key = static_cast<QKeyEvent*>(event)->keyCombination();
        if (std::find(menuKeys.begin(), menuKeys.end(), key) != menuKeys.end()) {
            event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
