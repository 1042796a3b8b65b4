// The main window driven as a user drives it: keys, clicks, menu commands and
// the file dialogs' choices, offscreen.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <functional>
#include <memory>
#include <optional>

#include "Unit1.h"
#include "Unit2.h"
#include "application.h"
#include "resultfile/resultfile.h"
#include "window_test_support.h"

namespace {

using window_test::Box;
using window_test::BoxCatcher;
using window_test::ModalAnswerer;

/// Edit fields in the order in which both refreshes write them.
constexpr int kRefreshOrder[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                                 14, 15, 16, 17, 18, 19, 20, 21, 26, 22, 23, 24, 25};

const QStringList kStartTexts = {
    "15.0", "60.0", "2.0", "1013.2", "***", "***", "0.10", "0.00100", "0.20",
    "***",  "***",  "***", "300.0",  "300.0", "***", "***", "***",   "***",
    "***",  "50.0", "***", "***",    "***", "***", "***", "***"};

const QStringList kDefaultResultTexts = {
    "15.0",  "60.0",  "2.0",  "1013.2", "10.2",  "0.0063", "0.10",  "0.00100", "0.20",
    "28.1",  "38.0",  "0.0237", "300.0", "300.0", "30.0", "466.9", "103.1",   "32.2",
    "20.9",  "50.0",  "1.539", "0.73",  "103.1", "32.2",  "20.9",  "50.0"};

QStringList fieldTexts(const TForm1& form) {
    QStringList texts;
    for (int n : kRefreshOrder)
        texts << form.edit(n)->text();
    return texts;
}

QAction* action(const QObject& form, const char* name) {
    return form.findChild<QAction*>(QString::fromLatin1(name));
}

QPushButton* button(const QObject& form, const char* name) {
    return form.findChild<QPushButton*>(QString::fromLatin1(name));
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TForm1> form_;

    /// Shows and activates the window, which keyboard shortcuts need.
    bool showActive() {
        form_->show();
        form_->activateWindow();
        return QTest::qWaitForWindowActive(form_.get());
    }

    /// Replaces a field's whole text by typed keys.
    void typeInto(int n, const QString& keys) {
        QLineEdit* e = form_->edit(n);
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, keys);
    }

private slots:
    void initTestCase() { configureApplication(); }
    void init() { form_ = createForms(); }
    void cleanup() { form_.reset(); }

    void startsWithDefaultsAndFixedLayout() {
        QCOMPARE(form_->windowTitle(), QString("Valdenta"));
        QCOMPARE(QCoreApplication::applicationName(), QString("Vorn"));
        QCOMPARE(fieldTexts(*form_), kStartTexts);
        QCOMPARE(form_->calculator().state().P, 1013.2);
        QCOMPARE(form_->calculator().state().Ts, 0.0);

        auto* about = form_->findChild<TForm2*>("Form2");
        QVERIFY(about);
        QVERIFY(!about->isVisible());
        QCOMPARE(about->windowTitle(), QString("ﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(about->size(), QSize(236, 105));

        QVERIFY(showActive());
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("Button1"));
        QCOMPARE(form_->centralWidget()->size(), QSize(546, 492));
        QCOMPARE(form_->minimumSize(), form_->maximumSize());
        QVERIFY(!(form_->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!about->isVisible());

        // No caption is clipped: each label is as wide as its text needs and
        // lies inside its group box, left of the fields.
        for (QLabel* label : form_->findChildren<QLabel*>()) {
            if (label->window() != form_.get())
                continue;
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
            QVERIFY2(label->parentWidget()->rect().contains(label->geometry()),
                     qPrintable(label->text()));
        }
        for (int n = 1; n <= 26; ++n) {
            QLineEdit* e = form_->edit(n);
            QCOMPARE(e->size(), QSize(97, 20));
            const bool input = (n <= 4 || n == 7 || n == 8 || n == 9 || n == 13 || n == 14 ||
                                n == 20);
            QCOMPARE(e->isReadOnly(), !input);
            QCOMPARE(e->focusPolicy(), input ? Qt::StrongFocus : Qt::ClickFocus);
            if (input)  // typing gives plain single-byte characters
                QVERIFY(!e->inputMethodQuery(Qt::ImEnabled).toBool());
            else
                QCOMPARE(e->palette().color(QPalette::Base),
                         QApplication::palette().color(QPalette::Button));
        }
    }

    void menuShowsCommandsWithShortcuts() {
        const struct {
            const char* name;
            QString text;
            QKeySequence shortcut;
        } items[] = {
            {"KO1", "開く(&O)...", {}},
            {"K1", "名前を付けて保存(&A)...", {}},
            {"KX1", "終了(&X)", {}},
            {"KC1", "計算(&C)", QKeySequence("Ctrl+C")},
            {"KM1", "記憶(&M)", QKeySequence("Ctrl+M")},
            {"KR1", "復帰(&R)", QKeySequence("Ctrl+R")},
            {"KA1", "ﾊﾞｰｼﾞｮﾝ情報(&A)...", {}},
        };
        for (const auto& item : items) {
            QAction* a = action(*form_, item.name);
            QVERIFY2(a, item.name);
            QCOMPARE(a->text(), item.text);
            QCOMPARE(a->shortcut(), item.shortcut);
        }
        QStringList titles;
        for (QAction* a : form_->menuBar()->actions())
            titles << a->text();
        QCOMPARE(titles, QStringList({"ﾌｧｲﾙ(&F)", "編集(&E)", "ﾍﾙﾌﾟ(&H)"}));
    }

    void typingStoresAcceptedValues() {
        const valdenta::CalcState& s = form_->calculator().state();

        typeInto(2, "150");  // 1 and 15 are accepted, 150 is refused
        QCOMPARE(form_->edit(2)->text(), QString("150"));
        QCOMPARE(s.Rh, 15.0);

        QLineEdit* pressure = form_->edit(4);
        pressure->end(false);
        for (double expected : {1013.0, 1013.0, 101.0, 10.0, 1.0, 1.0}) {
            QTest::keyClick(pressure, Qt::Key_Backspace);
            QCOMPARE(s.P, expected);
        }
        QCOMPARE(pressure->text(), QString());

        QApplication::clipboard()->setText("12abc");
        form_->edit(1)->selectAll();
        QTest::keyClick(form_->edit(1), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(form_->edit(1)->text(), QString("12abc"));
        QCOMPARE(s.Ta, 12.0);
    }

    void calculate_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("button") << "button";
        QTest::newRow("menu") << "menu";
        QTest::newRow("Ctrl+C in the air temperature field") << "ctrl+c";
    }

    void calculate() {
        QFETCH(QString, how);
        QVERIFY(showActive());
        QApplication::clipboard()->setText("unchanged");
        QLineEdit* airTemperature = form_->edit(1);
        airTemperature->setFocus();
        airTemperature->selectAll();

        if (how == "button")
            QTest::mouseClick(button(*form_, "Button1"), Qt::LeftButton);
        else if (how == "menu")
            action(*form_, "KC1")->trigger();
        else
            QTest::keyClick(airTemperature, Qt::Key_C, Qt::ControlModifier);

        QCOMPARE(fieldTexts(*form_), kDefaultResultTexts);
        QCOMPARE(QApplication::clipboard()->text(), QString("unchanged"));
    }

    void memoryAndRestoreByShortcut() {
        QVERIFY(showActive());
        const valdenta::Calculator& calc = form_->calculator();
        QLineEdit* airTemperature = form_->edit(1);
        airTemperature->setFocus();

        typeInto(1, "20");
        QTest::keyClick(airTemperature, Qt::Key_M, Qt::ControlModifier);
        QCOMPARE(calc.memory().Ta, 20.0);
        QCOMPARE(airTemperature->text(), QString("20"));  // Memory writes no field

        QTest::keyClick(airTemperature, Qt::Key_C, Qt::ControlModifier);
        QVERIFY(form_->edit(10)->text() != "***");
        typeInto(1, "25");
        QCOMPARE(calc.state().Ta, 25.0);

        QTest::keyClick(airTemperature, Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(airTemperature->text(), QString("20.0"));
        QCOMPARE(calc.state().Ta, 20.0);
        for (int n : {5, 6, 10, 11, 12, 15, 16, 17, 18, 19, 21, 22, 23, 24, 25, 26})
            QCOMPARE(form_->edit(n)->text(), QString("***"));
        QVERIFY(calc.state().Ts != 0.0);  // the derived values stay behind the "***"
    }

    void menuTitleShortcutsDoNothingInAField() {
        QVERIFY(showActive());
        QLineEdit* airTemperature = form_->edit(1);
        airTemperature->setFocus();
        airTemperature->setCursorPosition(1);
        QSignalSpy fileTitle(action(*form_, "F1"), &QAction::triggered);
        QSignalSpy editTitle(action(*form_, "KE1"), &QAction::triggered);

        QTest::keyClick(airTemperature, Qt::Key_E, Qt::ControlModifier);
        QTest::keyClick(airTemperature, Qt::Key_F, Qt::ControlModifier);

        // The window's shortcut took the keys, so the field never saw them.
        QCOMPARE(editTitle.count(), 1);
        QCOMPARE(fileTitle.count(), 1);
        QCOMPARE(airTemperature->text(), QString("15.0"));
        QCOMPARE(airTemperature->cursorPosition(), 1);
        QVERIFY(!QApplication::activePopupWidget());
        QCOMPARE(fieldTexts(*form_), kStartTexts);
    }

    void tabVisitsButtonsThenInputFields() {
        QVERIFY(showActive());
        button(*form_, "Button1")->setFocus();
        QStringList visited;
        for (int i = 0; i < 13; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, QStringList({"Button4", "Button3", "Edit1", "Edit2", "Edit3", "Edit4",
                                       "Edit7", "Edit8", "Edit9", "Edit13", "Edit14", "Edit20",
                                       "Button1"}));
    }

    void saveAsThenOpen() {
        QTemporaryDir dir;
        const QString path = dir.filePath("result.csv");
        form_->Button1Click();

        form_->chooseSaveFile = [&] { return std::optional<QString>(path); };
        action(*form_, "K1")->trigger();
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll().toStdString(),
                 valdenta::resultFileBytes(form_->calculator().state()));

        typeInto(1, "30");
        typeInto(7, "0.5");
        form_->chooseOpenFile = [&] { return std::optional<QString>(path); };
        action(*form_, "KO1")->trigger();
        QCOMPARE(form_->calculator().memory().Ta, 15.0);
        QCOMPARE(fieldTexts(*form_), kStartTexts);
    }

    void cancelledDialogsChangeNothing() {
        typeInto(1, "30");
        form_->chooseSaveFile = [] { return std::nullopt; };
        form_->chooseOpenFile = [] { return std::nullopt; };

        BoxCatcher catcher;
        action(*form_, "K1")->trigger();
        action(*form_, "KO1")->trigger();

        QCOMPARE(catcher.boxes, QList<Box>());
        QCOMPARE(form_->edit(1)->text(), QString("30"));
        QCOMPARE(form_->calculator().memory().Ta, 15.0);
    }

    void realFileDialogCancelledLeavesWindowUsable_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("dialogName");
        QTest::addColumn<int>("acceptMode");
        QTest::addColumn<int>("fileMode");
        QTest::newRow("open") << "KO1" << "OpenDialog1" << int(QFileDialog::AcceptOpen)
                              << int(QFileDialog::ExistingFile);
        QTest::newRow("save as") << "K1" << "SaveDialog1" << int(QFileDialog::AcceptSave)
                                 << int(QFileDialog::AnyFile);
    }

    void realFileDialogCancelledLeavesWindowUsable() {
        QFETCH(QString, item);
        QFETCH(QString, dialogName);
        QFETCH(int, acceptMode);
        QFETCH(int, fileMode);
        QVERIFY(showActive());
        QList<QFileDialog*> seen;
        int ticks = 0;
        ModalAnswerer answerer([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (dialog && ++ticks == 10) {  // cancel once it has been painted
                seen << dialog;
                dialog->reject();
            }
        });
        BoxCatcher catcher;

        action(*form_, item.toLatin1().constData())->trigger();

        QCOMPARE(seen.size(), 1);
        const QFileDialog* dialog = seen[0];
        QCOMPARE(dialog->objectName(), dialogName);
        QCOMPARE(int(dialog->acceptMode()), acceptMode);
        QCOMPARE(int(dialog->fileMode()), fileMode);
        QCOMPARE(dialog->nameFilters(), QStringList("CSVファイル (*.csv)"));
        QCOMPARE(dialog->defaultSuffix(), QString("csv"));
        QVERIFY(dialog->testOption(QFileDialog::DontUseNativeDialog));
        QVERIFY(!dialog->testOption(QFileDialog::DontConfirmOverwrite));
        QCOMPARE(fieldTexts(*form_), kStartTexts);

        // Flags that Qt left while painting the dialog do not reach the checks.
        typeInto(2, "55");
        form_->Button1Click();
        QCOMPARE(catcher.boxes, QList<Box>());
        QCOMPARE(form_->edit(2)->text(), QString("55.0"));
        QVERIFY(form_->edit(10)->text() != "***");
    }

    void saveAsRefusesReadOnlyFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("kept.csv");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("kept\n");
        file.close();
        QVERIFY(file.setPermissions(QFile::ReadOwner));
        if (QFileInfo(path).isWritable())
            QSKIP("every file is writable for this user (root)");

        BoxCatcher catcher;
        form_->chooseSaveFile = [&] { return std::optional<QString>(path); };
        action(*form_, "K1")->trigger();

        QCOMPARE(catcher.boxes.size(), 1);
        QVERIFY(catcher.boxes[0].text.contains("読み取り専用"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("kept\n"));
    }

    void unreadableOrUnwritableFileShowsError_data() {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("name");
        QTest::newRow("open a folder") << false << "folder";
        QTest::newRow("open a missing file") << false << "missing.csv";
        QTest::newRow("save over a folder") << true << "folder";
        QTest::newRow("save into a missing folder") << true << "missing/out.csv";
    }

    void unreadableOrUnwritableFileShowsError() {
        QFETCH(bool, save);
        QFETCH(QString, name);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        const QString path = dir.filePath(name);
        typeInto(1, "30");
        const QStringList before = fieldTexts(*form_);

        BoxCatcher catcher;
        if (save) {
            form_->chooseSaveFile = [&] { return std::optional<QString>(path); };
            action(*form_, "K1")->trigger();
        } else {
            form_->chooseOpenFile = [&] { return std::optional<QString>(path); };
            action(*form_, "KO1")->trigger();
        }

        QCOMPARE(catcher.boxes.size(), 1);
        QCOMPARE(catcher.boxes[0].caption, QString("Vorn"));
        QVERIFY(catcher.boxes[0].text.endsWith("."));
        QCOMPARE(fieldTexts(*form_), before);
        QCOMPARE(form_->calculator().memory().Ta, 15.0);
        QCOMPARE(form_->calculator().state().Ta, 30.0);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
    }

    void nanTypedIntoHumidityShowsInvalidOperation() {
        BoxCatcher catcher;
        typeInto(2, "+NAN");
        QCOMPARE(catcher.boxes, QList<Box>({{"Vorn", "無効な浮動小数点操作."}}));
        QCOMPARE(form_->edit(2)->text(), QString("+NAN"));
        QCOMPARE(form_->calculator().state().Rh, 0.0);  // from "+", "+N", "+NA"
    }

    void nanRestoredIntoHumidityEndsTheRefresh() {
        typeInto(3, "7");
        form_->calculator().memory().Rh = std::nan("");

        BoxCatcher catcher;
        QTest::mouseClick(button(*form_, "Button3"), Qt::LeftButton);

        QCOMPARE(catcher.boxes, QList<Box>({{"Vorn", "無効な浮動小数点操作."}}));
        QCOMPARE(form_->edit(2)->text(), QString("+NAN"));
        QCOMPARE(form_->edit(3)->text(), QString("7"));  // written after the failing field
        QCOMPARE(form_->calculator().state().U, 2.0);    // copied before the refresh
        // The window stays usable.
        typeInto(2, "60");
        form_->Button1Click();
        QCOMPARE(form_->edit(10)->text(), QString("28.1"));
    }

    void powerOverflowShowsMathBoxThenInvalidOperation() {
        // 7.5 T / (T + 237.3) at T = -237.4 is about 17800: 10 to that overflows,
        // the math library reports it and goes on with infinity, and the
        // specific humidity then divides infinity by minus infinity.
        typeInto(1, "-237.4");
        const QStringList before = fieldTexts(*form_);

        BoxCatcher catcher;
        form_->Button1Click();

        const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        QCOMPARE(catcher.boxes, QList<Box>({{program, "pow: OVERFLOW error"},
                                            {"Vorn", "無効な浮動小数点操作."}}));
        QCOMPARE(fieldTexts(*form_), before);  // no refresh after a failed Calculate
    }

    void aboutShowsTheSameModalDialogEachTime() {
        QVERIFY(showActive());
        auto* about = form_->findChild<TForm2*>("Form2");
        QList<QWidget*> shown;
        QStringList labels;
        ModalAnswerer answerer([&](QWidget* modal) {
            shown << modal;
            for (const char* name : {"Label1", "Label2", "Label3"})
                labels << modal->findChild<QLabel*>(name)->text();
            QTest::mouseClick(modal->findChild<QPushButton*>("Button1"), Qt::LeftButton);
        });

        action(*form_, "KA1")->trigger();
        action(*form_, "KA1")->trigger();

        QCOMPARE(shown, QList<QWidget*>({about, about}));
        QCOMPARE(labels, QStringList({"Valdenta", "Ver. 0.1", "2003/09/12",
                                      "Valdenta", "Ver. 0.1", "2003/09/12"}));
        QVERIFY(!about->isVisible());
        QCOMPARE(about->pos(), QPoint(269, 470));
        for (QLabel* label : about->findChildren<QLabel*>())
            QVERIFY(label->width() >= label->sizeHint().width());
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
