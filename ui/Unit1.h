#pragma once
// The main window: five group boxes of labelled fields, three command buttons
// and the menu.  It holds no logic of its own: every handler forwards to the
// calculator or the result file, and the 26 edit fields are the calculator's
// field texts.

#include <QMainWindow>
#include <QString>

#include <array>
#include <exception>
#include <functional>
#include <optional>
#include <string>

#include "calculator/calculator.h"

class QAction;
class QFileDialog;
class QLineEdit;
class TForm2;

class TForm1 : public QMainWindow, public valdenta::FieldTexts {
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    /// Writes edit field `edit` (1 ... 26).  QLineEdit runs textChanged, and so
    /// the field's change handler, only when the text differs; an error of that
    /// handler is rethrown here once the write has returned.
    void writeText(int edit, const std::string& text) override;
    std::string text(int edit) const override;

    valdenta::Calculator& calculator() noexcept { return calc_; }
    QLineEdit* edit(int n) const { return edits_.at(static_cast<std::size_t>(n)); }

    /// The About dialog that Help > About shows (created after this window).
    void setAboutDialog(TForm2* dialog) noexcept { about_ = dialog; }

    /// Ask for the file of File > Open and File > Save As; nullopt when
    /// cancelled.  They run OpenDialog1 and SaveDialog1, made on first use;
    /// tests replace them.
    std::function<std::optional<QString>()> chooseOpenFile;
    std::function<std::optional<QString>()> chooseSaveFile;

public slots:
    void Edit1Change(const QString& text);
    void Button1Click();
    void Edit2Change(const QString& text);
    void Edit3Change(const QString& text);
    void Edit7Change(const QString& text);
    void Edit8Change(const QString& text);
    void Edit9Change(const QString& text);
    void Edit20Change(const QString& text);
    void Edit13Change(const QString& text);
    void Edit14Change(const QString& text);
    void Edit4Change(const QString& text);
    void Button3Click();
    void Button4Click();
    void FormCreate();
    void Restore();
    void KX1Click();
    void KC1Click();
    void KM1Click();
    void KR1Click();
    void KO1Click();
    void K1Click();
    void KA1Click();

private:
    void buildGroupBoxes(QWidget* client);
    void buildButtons(QWidget* client);
    void buildMenu();
    void buildFileDialogs();
    void connectChangeHandlers();
    void buildTabOrder();

    /// What every change handler does: hand the field's text to the calculator.
    void inputChange(int edit, const QString& text);
    /// Runs one command; a CommandError ends it and goes to the error display.
    void runCommand(const std::function<void()>& work);
    std::optional<QString> runFileDialog(QFileDialog* dialog);

    valdenta::Calculator calc_{*this};
    std::array<QLineEdit*, valdenta::kFieldCount + 1> edits_{};  // [0] unused
    QFileDialog* openDialog_ = nullptr;
    QFileDialog* saveDialog_ = nullptr;
    TForm2* about_ = nullptr;

    int writeDepth_ = 0;                // > 0 while writeText runs
    std::exception_ptr handlerError_;  // an error of a handler run by writeText
};
