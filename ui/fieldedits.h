#pragma once
// The two kinds of edit field and the key filter that every field carries.

#include <QLineEdit>
#include <QObject>

/// An input field: editable, tab stop, and no input method, so typing gives
/// plain single-byte characters.  QLineEdit answers the ImEnabled query itself
/// (ignoring WA_InputMethodEnabled), hence the override.
class InputEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit InputEdit(QWidget* parent);
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
};

/// Makes a read-only output field: grey like a button face, reachable by a
/// click (to select and read its text) but not by Tab.
QLineEdit* makeOutputEdit(QWidget* parent);

/// Lets Ctrl+C, Ctrl+M, Ctrl+R, Ctrl+F and Ctrl+E pass a focused edit field to
/// the window's menu shortcuts.  A QLineEdit claims Ctrl+C (copy) and, in the
/// X11 key scheme, Ctrl+E (end of line) through ShortcutOverride; refusing the
/// override makes these keys run the menu commands instead.
class MenuKeyFilter : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
