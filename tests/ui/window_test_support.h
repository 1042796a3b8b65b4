#pragma once
// Shared by the window tests: answering the modal boxes that a command shows,
// so that the command returns instead of waiting for a user.

#include <QApplication>
#include <QList>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <utility>

namespace window_test {

/// Answers every modal window that opens while it lives: `answer` reads it and
/// closes it, so a command that shows a box returns instead of blocking.
class ModalAnswerer {
public:
    explicit ModalAnswerer(std::function<void(QWidget*)> answer) : answer_(std::move(answer)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && modal->isVisible())
                answer_(modal);
        });
        timer_.start(5);
    }

private:
    std::function<void(QWidget*)> answer_;
    QTimer timer_;
};

/// What a message box showed.
struct Box {
    QString caption;
    QString text;
    bool operator==(const Box&) const = default;
};

/// For QCOMPARE on boxes and lists of boxes.
inline char* toString(const Box& box) {
    return QTest::toString(box.caption + " | " + box.text);
}

/// Records the caption and text of every message box and presses its OK.
class BoxCatcher {
public:
    QList<Box> boxes;

private:
    ModalAnswerer answerer_{[this](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box)
            return;
        boxes.append({box->windowTitle(), box->text()});
        box->button(QMessageBox::Ok)->click();
    }};
};

}  // namespace window_test
