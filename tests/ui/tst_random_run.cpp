// A long run of random user actions on the real main window, offscreen: typing,
// pasting and deleting in the input fields, Calculate, Memory and Restore by
// button, shortcut and menu, Save As and Open of files in a temporary folder,
// with every box answered.  A calculator without a window is given the same
// actions; since the window adds no logic of its own, after every action both
// must hold the same state, memory slot and 26 field texts bit for bit, and
// must have shown the same boxes.  On top of that the rules of the fields and
// of the two refreshes are checked directly against the window.
//
// Reproducible: VALDENTA_RANDOM_SEED (default 20030912) picks the run and
// VALDENTA_RANDOM_ACTIONS (default 20000) its length.  A failure names the seed,
// the failing action and the actions before it, and writes the whole list to
// random_run_<seed>.log in the working folder.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "Unit1.h"
#include "application.h"
#include "errordisplay.h"
#include "calculator/calculate.h"
#include "calculator/calculator.h"
#include "calculator/display.h"
#include "calculator/inputs.h"
#include "calculator/number.h"
#include "calculator/refresh.h"
#include "formulas/matherr.h"
#include "resultfile/resultfile.h"
#include "window_test_support.h"

namespace {

using valdenta::CalcState;
using valdenta::InputMemory;
using window_test::Box;
using window_test::BoxCatcher;

constexpr std::uint64_t kDefaultSeed = 20030912;
constexpr std::uint64_t kDefaultActions = 20000;
constexpr std::size_t kActionsShownOnFailure = 50;
constexpr int kFileSlots = 5;

/// A whole number from the environment, or `fallback` when unset.
std::optional<std::uint64_t> environmentNumber(const char* name, std::uint64_t fallback) {
    if (!qEnvironmentVariableIsSet(name))
        return fallback;
    bool ok = false;
    const qulonglong value = qEnvironmentVariable(name).toULongLong(&ok);
    return ok ? std::optional<std::uint64_t>(value) : std::nullopt;
}

/// Random choices of one run.  mt19937_64's output is fixed by the language
/// standard and the choices below use only that output, so a seed replays the
/// same run on any machine.
class Random {
public:
    explicit Random(std::uint64_t seed) : engine_(seed) {}

    std::size_t below(std::size_t n) { return static_cast<std::size_t>(engine_() % n); }
    bool percent(int p) { return below(100) < static_cast<std::size_t>(p); }
    double between(double lo, double hi) {
        return lo + (hi - lo) * static_cast<double>(engine_() >> 11) * 0x1.0p-53;
    }
    template <typename T, std::size_t N>
    const T& pick(const T (&items)[N]) {
        return items[below(N)];
    }

private:
    std::mt19937_64 engine_;
};

/// Typical values of each input field, for texts that make a calculation.
struct TypicalRange {
    int edit;
    double lo, hi;
};
constexpr TypicalRange kTypical[] = {
    {1, -30, 45},   {2, 0, 100}, {3, 0, 20},    {4, 600, 1100},  {7, 0, 1},
    {8, 0, 0.01},   {9, 0, 1},   {13, 0, 1100}, {14, 150, 500},  {20, -150, 250},
};

/// Texts at the edges of the number grammar and of the field checks, and air
/// temperatures at and beyond the pole of the saturation vapour pressure
/// (division by zero, or a power that overflows).
constexpr const char16_t* kEdgeTexts[] = {
    u"+NAN", u"-NAN", u"+INF", u"-INF", u"1e999", u"-1e999", u"1e-999", u"-1e-999", u"",
    u"-", u"+", u".", u"-.", u"１２", u"３.５", u"1２", u"abc", u"12abc", u"  12", u"1.5.3",
    u"0x10", u"inf", u"NAN", u"1E-1", u"1e2", u"12e", u"12e+", u".5", u"5.", u"-0", u"-0.0",
    u"0", u"100", u"100.0000001", u"1", u"1.01", u"0.04", u"0.001", u"-240", u"-237.3",
    u"-237.4", u"-243", u"99e4932", u"1e308", u"-1e308", u"1e-320", u"150", u"-5", u"1,5",
    u"1e+3", u"0.000004", u"0.126", u"15.37", u"2.04", u"-0.04",
};

/// Characters of the garbage texts: number characters, letters of INF and NAN,
/// a blank, a comma and full-width digits.
constexpr char16_t kGarbageChars[] = u"0123456789.-+eE ,xINFAa１２";

/// Texts with a line feed or a tab, only set as a whole: typed, the tab would
/// move the focus, and in a file line the line feed would end the line.
constexpr const char16_t* kPasteOnlyTexts[] = {u"12\n34", u"\t7", u"7\t", u" \t-3.5"};

/// Values for a result file edited by hand: NaN and infinities, out of range,
/// no number at all.
constexpr const char16_t* kFileValues[] = {u"+NAN", u"-NAN", u"+NAN", u"150", u"-INF",
                                           u"+INF", u"0", u"-5", u"abc", u""};

QString fromUtf16(const char16_t* text) { return QString::fromUtf16(text); }

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString typicalText(Random& r, int edit) {
    for (const TypicalRange& range : kTypical) {
        if (range.edit != edit)
            continue;
        double lo = range.lo, hi = range.hi;
        const double width = hi - lo;
        if (r.percent(15)) {  // out of range for the checked fields
            lo -= width;
            hi += width;
        }
        // Enough decimals that a small range (the bulk coefficient) is not shown as 0.
        const int fewest = std::clamp(static_cast<int>(std::ceil(-std::log10(width))) + 2, 0, 6);
        const int decimals =
            fewest + static_cast<int>(r.below(static_cast<std::size_t>(7 - fewest)));
        return QString::fromStdString(valdenta::formatFixed(r.between(lo, hi), decimals));
    }
    return QStringLiteral("0");
}

/// Up to `maxLength` digits, with a sign, a point or an exponent now and then.
/// The point comes early in most, so that most values stay small enough for the
/// surface temperature search to close the balance.
QString longDigits(Random& r, std::size_t maxLength) {
    const std::size_t length = 1 + r.below(maxLength);
    QString text;
    for (std::size_t i = 0; i < length; ++i)
        text += QChar(u'0' + static_cast<char16_t>(r.below(10)));
    const std::size_t roll = r.below(100);
    if (roll < 60)
        text.insert(static_cast<qsizetype>(std::min<std::size_t>(r.below(4), length)),
                    QLatin1Char('.'));
    else if (roll < 80)
        text.insert(static_cast<qsizetype>(r.below(length + 1)), QLatin1Char('.'));
    if (r.percent(20))
        text += QStringLiteral("e") + QString::number(static_cast<int>(r.below(700)) - 350);
    if (r.percent(30))
        text.prepend(QLatin1Char('-'));
    return text;
}

QString garbage(Random& r) {
    const std::size_t length = 1 + r.below(10);
    const std::size_t alphabet = std::char_traits<char16_t>::length(kGarbageChars);
    QString text;
    for (std::size_t i = 0; i < length; ++i)
        text += QChar(kGarbageChars[r.below(alphabet)]);
    return text;
}

/// A text for input field `edit`; `maxLength` bounds the long digit strings.
QString randomText(Random& r, int edit, std::size_t maxLength) {
    const std::size_t roll = r.below(100);
    if (roll < 60)
        return typicalText(r, edit);
    if (roll < 85)
        return fromUtf16(r.pick(kEdgeTexts));
    if (roll < 91)
        return longDigits(r, maxLength);
    return garbage(r);
}

/// The text as it stands in a log: quoted, line feeds and tabs escaped.
QString quoted(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('\n'), QStringLiteral("\\n"))
        .replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    return QLatin1Char('"') + shown + QLatin1Char('"');
}

QString describe(double v) {
    return QStringLiteral("%1 (bits %2)")
        .arg(QString::fromStdString(valdenta::formatShortest(v)))
        .arg(std::bit_cast<std::uint64_t>(v), 16, 16, QLatin1Char('0'));
}

bool sameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

/// The math library's reports while the model calculates: they become the
/// boxes that the window is expected to have shown, or are dropped.
class MathReports {
public:
    explicit MathReports(QList<Box>* into) {
        target_ = into;
        previous_ = valdenta::setMathErrorReporter(&record);
    }
    ~MathReports() {
        valdenta::setMathErrorReporter(previous_);
        target_ = nullptr;
    }
    MathReports(const MathReports&) = delete;
    MathReports& operator=(const MathReports&) = delete;

private:
    static void record(const std::string& text) {
        if (target_)
            target_->append({programName(), QString::fromStdString(text)});
    }
    static QString programName() {
        return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    }

    static inline QList<Box>* target_ = nullptr;
    valdenta::MathErrorReporter previous_;
};

/// Presses the key of `c`, as a keyboard layout that has it would: the key
/// code of a character is its upper-case code point, the event's text `c`
/// itself (QTest::keyClicks takes Latin-1 only, not the full-width digits).
void typeKey(QWidget* widget, QChar c) {
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key(c.toUpper().unicode()), QString(c),
                        Qt::NoModifier);
}

/// Whether the field of `edit` takes the value `x`, from the fields' rules:
/// no check for Ta, Sd, Ld and G; a NaN is refused (with an error) by the others.
bool fieldTakes(int edit, double x) {
    if (std::isnan(x))
        return edit == 1 || edit == 13 || edit == 14 || edit == 20;
    switch (edit) {
        case 2: return 0.0 <= x && x <= 100.0;
        case 3:
        case 9: return x >= 0.0;
        case 4: return x > 0.0;
        case 7:
        case 8: return 0.0 <= x && x <= 1.0;
        default: return true;
    }
}

/// The text the Calculate refresh gives field `f` for `state`.
std::string calculateText(const valdenta::DisplayField& f, const CalcState& state) {
    const double v = state.*f.value;
    if (f.value == &CalcState::Bowen && !(v >= 0.0))
        return valdenta::kHiddenText;
    return valdenta::formatFixed(v, f.decimals);
}

/// Whether an input whose field has a check holds a NaN, which that field's
/// handler refuses with an error when a refresh writes its text.
bool checkedInputIsNan(const CalcState& state) {
    for (const valdenta::InputField& field : valdenta::kInputFields)
        if (field.check != valdenta::InputCheck::Any && std::isnan(state.*field.value))
            return true;
    return false;
}

/// Whether the calculation itself (before any refresh) ends in an error.
bool calculationFaults(CalcState state) {
    const MathReports dropped(nullptr);
    try {
        valdenta::calculateState(state);
        return false;
    } catch (const std::exception&) {
        return true;
    }
}

/// Each input of `saved` as Save As writes it, to six decimals, read back.
InputMemory toSixDecimals(const InputMemory& saved) {
    InputMemory read = saved;
    for (const auto& input : valdenta::kInputValues)
        read.*input.memory = valdenta::parseNumber(valdenta::formatFixed(saved.*input.memory, 6));
    return read;
}

enum class Kind {
    TypeAtEnd, TypeOverAll, Backspaces, Clear, SetText, PasteKeys,
    Calculate, Memory, Restore, SaveAs, Open,
};

/// Action kinds with their weights (out of 100).
constexpr std::pair<Kind, int> kKindWeights[] = {
    {Kind::TypeAtEnd, 19}, {Kind::TypeOverAll, 19}, {Kind::Backspaces, 8}, {Kind::Clear, 3},
    {Kind::SetText, 8},    {Kind::PasteKeys, 5},    {Kind::Calculate, 18}, {Kind::Memory, 5},
    {Kind::Restore, 9},    {Kind::SaveAs, 3},       {Kind::Open, 3},
};

/// How a command is given: its button, its shortcut in a focused input field,
/// or its menu item.
enum class Way { Button, Shortcut, Menu };

/// What the run did, for its summary and to see that it reached every path.
struct Tally {
    long keys = 0;
    long calculations = 0, failedCalculations = 0;
    long restores = 0, failedRestores = 0;
    long memories = 0, saves = 0, failedSaves = 0;
    long opensOfSaved = 0, opens = 0, failedOpens = 0;
    long reactivations = 0;
    std::map<QString, long> boxes;  // by text
};

class RandomRun {
public:
    RandomRun(TForm1& form, std::uint64_t seed, const QString& folder)
        : form_(form), random_(seed), folder_(folder) {
        model_.calc.formCreate();
    }

    /// Performs action `index` on the window and the model and checks them.
    /// Returns the problems found (empty when all is well).
    QStringList step(std::uint64_t index) {
        problems_.clear();
        catcher_.boxes.clear();
        expected_.clear();
        textsBefore_ = windowTexts();
        stateBefore_ = window().state();
        const Kind kind = pickKind();
        log_ << QStringLiteral("#%1 ").arg(index);
        switch (kind) {
            case Kind::TypeAtEnd:
            case Kind::TypeOverAll:
            case Kind::Backspaces:
            case Kind::Clear:
            case Kind::SetText:
            case Kind::PasteKeys: edit(kind); break;
            case Kind::Calculate: calculate(); break;
            case Kind::Memory: memory(); break;
            case Kind::Restore: restore(); break;
            case Kind::SaveAs: saveAs(); break;
            case Kind::Open: open(); break;
        }
        for (const Box& box : catcher_.boxes)
            ++tally.boxes[box.text];
        checkAgreement();
        return problems_;
    }

    /// Checks that the window and the model agree right after start-up.
    QStringList checkStart() {
        problems_.clear();
        checkAgreement();
        checkRestoreTexts("at start-up");
        return problems_;
    }

    const QStringList& log() const { return log_; }
    Tally tally;

private:
    const valdenta::Calculator& window() const { return form_.calculator(); }

    std::array<QString, valdenta::kFieldCount + 1> windowTexts() const {
        std::array<QString, valdenta::kFieldCount + 1> texts;
        for (int n = 1; n <= valdenta::kFieldCount; ++n)
            texts[static_cast<std::size_t>(n)] = form_.edit(n)->text();
        return texts;
    }

    Kind pickKind() {
        std::size_t roll = random_.below(100);
        for (const auto& [kind, weight] : kKindWeights) {
            if (roll < static_cast<std::size_t>(weight))
                return kind;
            roll -= static_cast<std::size_t>(weight);
        }
        return Kind::Calculate;
    }

    int pickInputEdit() { return valdenta::kInputFields[random_.below(10)].edit; }

    Way pickWay() { return static_cast<Way>(random_.below(3)); }

    /// The model does what the window did; an error it raises is the box the
    /// window must have shown, after any report of the math library.
    template <typename Work>
    void modelDoes(Work work) {
        const MathReports reports(&expected_);
        try {
            work();
        } catch (const std::exception& e) {
            expected_.append({QString::fromUtf8(kApplicationTitle),
                              QString::fromUtf8(e.what()) + QLatin1Char('.')});
        }
    }

    bool failedWithError() const {
        for (const Box& box : catcher_.boxes)
            if (box.caption == QString::fromUtf8(kApplicationTitle))
                return true;
        return false;
    }

    void problem(const QString& what) { problems_ << what; }

    /// The shortcuts of the window's menu need it to be the active window;
    /// a closed box may have left another one active.
    void ensureActive() {
        if (QApplication::activeWindow() == &form_)
            return;
        ++tally.reactivations;
        form_.activateWindow();
        if (!QTest::qWaitForWindowActive(&form_))
            problem(QStringLiteral("the main window could not be activated for a shortcut"));
    }

    // ---- Editing an input field ------------------------------------------

    /// One change of field `n` by the user: `key` makes it in the window, and
    /// the model is given the text that the edit should have produced.
    template <typename Key>
    void userEdit(int n, const QString& predicted, Key key) {
        ++tally.keys;
        const double CalcState::*member = valdenta::inputFieldOfEdit(n)->value;
        const double before = window().state().*member;
        const QString previous = form_.edit(n)->text();
        key();
        modelDoes([&] { model_.fields.type(n, predicted.toStdString()); });

        const QString shown = form_.edit(n)->text();
        if (shown != predicted)
            problem(QStringLiteral("Edit%1 shows %2 after the edit, expected %3")
                        .arg(n).arg(quoted(shown), quoted(predicted)));
        // A refused text leaves the value; an accepted one stores it as parsed.
        const double now = window().state().*member;
        const double x = valdenta::parseNumber(predicted.toStdString());
        const double expected = predicted != previous && fieldTakes(n, x) ? x : before;
        if (!sameBits(now, expected))
            problem(QStringLiteral("Edit%1 text %2: value %3, expected %4")
                        .arg(n).arg(quoted(predicted), describe(now), describe(expected)));
    }

    /// Types `text` key by key; `overAll` replaces the whole text with the first key.
    void typeKeys(int n, const QString& text, bool overAll) {
        QLineEdit* e = form_.edit(n);
        QString predicted = e->text();
        if (overAll)
            e->selectAll();
        else
            e->end(false);
        for (qsizetype i = 0; i < text.size(); ++i) {
            predicted = (overAll && i == 0 ? QString() : predicted) + text[i];
            userEdit(n, predicted, [&] { typeKey(e, text[i]); });
        }
    }

    void edit(Kind kind) {
        const int n = pickInputEdit();
        QLineEdit* e = form_.edit(n);
        e->setFocus();
        switch (kind) {
            case Kind::TypeAtEnd:
            case Kind::TypeOverAll: {
                const QString text = randomText(random_, n, 24);
                const bool overAll = kind == Kind::TypeOverAll;
                log_.last() += QStringLiteral("type %1 Edit%2 %3")
                                   .arg(overAll ? "over all of" : "at end of").arg(n)
                                   .arg(quoted(text));
                typeKeys(n, text, overAll);
                break;
            }
            case Kind::Backspaces: {
                const int count = 1 + static_cast<int>(random_.below(8));
                log_.last() += QStringLiteral("%1 backspaces at end of Edit%2").arg(count).arg(n);
                e->end(false);
                QString predicted = e->text();
                for (int i = 0; i < count; ++i) {
                    predicted.chop(1);
                    userEdit(n, predicted, [&] { QTest::keyClick(e, Qt::Key_Backspace); });
                }
                break;
            }
            case Kind::Clear:
                log_.last() += QStringLiteral("select all and delete in Edit%1").arg(n);
                e->selectAll();
                userEdit(n, QString(), [&] { QTest::keyClick(e, Qt::Key_Delete); });
                break;
            case Kind::SetText: {
                const QString text = random_.percent(10) ? fromUtf16(random_.pick(kPasteOnlyTexts))
                                                         : randomText(random_, n, 300);
                log_.last() += QStringLiteral("set text of Edit%1 to %2").arg(n).arg(quoted(text));
                userEdit(n, text, [&] { e->setText(text); });
                break;
            }
            case Kind::PasteKeys: {
                const QString text = randomText(random_, n, 300);
                const bool overAll = random_.percent(50);
                log_.last() += QStringLiteral("paste %1 with Ctrl+V %2 Edit%3")
                                   .arg(quoted(text), overAll ? "over all of" : "at end of")
                                   .arg(n);
                QApplication::clipboard()->setText(text);
                if (overAll)
                    e->selectAll();
                else
                    e->end(false);
                userEdit(n, (overAll ? QString() : e->text()) + text,
                         [&] { QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier); });
                break;
            }
            default: break;
        }
    }

    // ---- Commands ------------------------------------------------------------

    /// Gives command `name` by `way`: button `button`, Ctrl+`key` in a random
    /// input field, or menu item `item`.
    void command(const char* name, Way way, const char* button, Qt::Key key, const char* item) {
        log_.last() += QString::fromLatin1(name);
        switch (way) {
            case Way::Button:
                log_.last() += QStringLiteral(" by button");
                QTest::mouseClick(form_.findChild<QPushButton*>(QString::fromLatin1(button)),
                                  Qt::LeftButton);
                break;
            case Way::Shortcut: {
                const int n = pickInputEdit();
                log_.last() += QStringLiteral(" by Ctrl+%1 in Edit%2")
                                   .arg(QKeySequence(key).toString()).arg(n);
                ensureActive();
                QLineEdit* e = form_.edit(n);
                e->setFocus();
                QTest::keyClick(e, key, Qt::ControlModifier);
                break;
            }
            case Way::Menu:
                log_.last() += QStringLiteral(" by menu");
                form_.findChild<QAction*>(QString::fromLatin1(item))->trigger();
                break;
        }
    }

    void calculate() {
        command("Calculate", pickWay(), "Button1", Qt::Key_C, "KC1");
        modelDoes([&] { model_.calc.calculate(); });
        if (!failedWithError()) {
            ++tally.calculations;
            for (const valdenta::DisplayField& f : valdenta::kDisplayFields)
                expectText(f.edit, calculateText(f, window().state()), "after Calculate");
        } else {
            ++tally.failedCalculations;
            // A fault of the calculation stops it before the refresh: no field
            // changes.  Only a NaN in a checked input can fail the refresh itself.
            if (!checkedInputIsNan(stateBefore_) || calculationFaults(stateBefore_))
                expectTextsUnchanged("after a Calculate that failed");
        }
    }

    void memory() {
        ++tally.memories;
        command("Memory", pickWay(), "Button4", Qt::Key_M, "KM1");
        modelDoes([&] { model_.calc.memorise(); });
        for (const auto& input : valdenta::kInputValues)
            if (!sameBits(window().memory().*input.memory, window().state().*input.state))
                problem(QStringLiteral("memory %1 differs from the state after Memory")
                            .arg(fromView(input.name)));
        expectTextsUnchanged("after Memory");
    }

    void restore() {
        command("Restore", pickWay(), "Button3", Qt::Key_R, "KR1");
        modelDoes([&] { model_.calc.restore(); });
        if (failedWithError()) {
            ++tally.failedRestores;
        } else {
            ++tally.restores;
            checkRestoreTexts("after Restore");
        }
    }

    QString slotPath(std::size_t slot) const {
        return QDir(folder_).filePath(QStringLiteral("run%1.csv").arg(slot));
    }

    void saveAs() {
        const bool intoMissingFolder = random_.percent(5);
        const std::size_t slot = random_.below(kFileSlots);
        const QString path = intoMissingFolder
                                 ? QDir(folder_).filePath(QStringLiteral("missing/out.csv"))
                                 : slotPath(slot);
        log_.last() += QStringLiteral("Save As %1").arg(QFileInfo(path).fileName());
        if (intoMissingFolder)
            log_.last() += QStringLiteral(" in a missing folder");
        form_.chooseSaveFile = [path] { return std::optional<QString>(path); };
        form_.findChild<QAction*>(QStringLiteral("K1"))->trigger();

        if (failedWithError()) {
            ++tally.failedSaves;
        } else {
            ++tally.saves;
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly) ||
                file.readAll().toStdString() != valdenta::resultFileBytes(window().state()))
                problem(QStringLiteral("%1 does not hold the state").arg(path));
            InputMemory saved;
            valdenta::copyInputs(window().state(), saved);
            saved_[slot] = saved;
        }
        // The model writes the same bytes to the same file (or fails the same way).
        const std::string name = QFile::encodeName(path).toStdString();
        modelDoes([&] { valdenta::saveResultFile(model_.calc, name); });
    }

    /// A result file of the current state with one or two input values
    /// replaced by random texts, or cut short.
    QString craftedFile() {
        const std::string bytes = valdenta::resultFileBytes(window().state());
        std::vector<std::string> lines;
        for (std::size_t start = 0; start < bytes.size();) {
            const std::size_t end = bytes.find("\r\n", start) + 2;
            lines.push_back(bytes.substr(start, end - start));
            start = end;
        }
        QString change;
        if (random_.percent(15)) {
            lines.resize(random_.below(21));
            change = QStringLiteral("%1 lines").arg(lines.size());
        } else {
            // The lines of the ten inputs, in the order of kInputFields.
            constexpr std::size_t kInputLines[] = {0, 1, 2, 3, 6, 7, 8, 12, 13, 19};
            for (int i = 1 + static_cast<int>(random_.below(2)); i > 0; --i) {
                const std::size_t input = random_.below(10);
                const std::size_t line = kInputLines[input];
                const int edit = valdenta::kInputFields[input].edit;
                QString value = random_.percent(40) ? fromUtf16(random_.pick(kFileValues))
                                                    : randomText(random_, edit, 60);
                value.remove(QLatin1Char('\n'));
                std::string& text = lines[line];
                text = text.substr(0, text.rfind(',') + 1) + value.toStdString() + "\r\n";
                change += QStringLiteral(" line %1 = %2").arg(line + 1).arg(quoted(value));
            }
        }
        const QString path = QDir(folder_).filePath(QStringLiteral("crafted.csv"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            problem(QStringLiteral("cannot write %1").arg(path));
        for (const std::string& line : lines)
            file.write(line.data(), static_cast<qint64>(line.size()));
        log_.last() += QStringLiteral("Open crafted.csv (") + change.trimmed() + QLatin1Char(')');
        return path;
    }

    void open() {
        const std::size_t roll = random_.below(100);
        std::optional<std::size_t> slot;
        QString path;
        if (roll < 55 && !saved_.empty()) {
            auto it = saved_.begin();
            std::advance(it, static_cast<std::ptrdiff_t>(random_.below(saved_.size())));
            slot = it->first;
            path = slotPath(*slot);
            log_.last() += QStringLiteral("Open run%1.csv").arg(*slot);
        } else if (roll < 92) {
            path = craftedFile();
        } else {
            path = QDir(folder_).filePath(QStringLiteral("absent.csv"));
            log_.last() += QStringLiteral("Open absent.csv");
        }
        form_.chooseOpenFile = [path] { return std::optional<QString>(path); };
        form_.findChild<QAction*>(QStringLiteral("KO1"))->trigger();
        const std::string name = QFile::encodeName(path).toStdString();
        modelDoes([&] { valdenta::openResultFile(model_.calc, name); });

        if (slot) {  // Save As then Open gives back every input to six decimals
            ++tally.opensOfSaved;
            const InputMemory expected = toSixDecimals(saved_.at(*slot));
            for (const auto& input : valdenta::kInputValues)
                if (!sameBits(window().memory().*input.memory, expected.*input.memory))
                    problem(QStringLiteral("memory %1 after Open is %2, saved as %3")
                                .arg(fromView(input.name),
                                     describe(window().memory().*input.memory),
                                     describe(expected.*input.memory)));
        }
        if (failedWithError()) {
            ++tally.failedOpens;
        } else {
            ++tally.opens;
            checkRestoreTexts("after Open");
        }
    }

    // ---- Checks --------------------------------------------------------------

    void expectText(int n, const std::string& expected, const char* when) {
        const QString shown = form_.edit(n)->text();
        if (shown.toStdString() != expected)
            problem(QStringLiteral("Edit%1 shows %2 %3, expected %4")
                        .arg(n).arg(quoted(shown), QString::fromLatin1(when),
                                    quoted(QString::fromStdString(expected))));
    }

    void expectTextsUnchanged(const char* when) {
        const auto now = windowTexts();
        for (int n = 1; n <= valdenta::kFieldCount; ++n)
            if (now[static_cast<std::size_t>(n)] != textsBefore_[static_cast<std::size_t>(n)])
                problem(QStringLiteral("Edit%1 changed from %2 to %3 %4")
                            .arg(n).arg(quoted(textsBefore_[static_cast<std::size_t>(n)]),
                                        quoted(now[static_cast<std::size_t>(n)]),
                                        QString::fromLatin1(when)));
    }

    /// After a Restore refresh that completed: each input field shows its
    /// value formatted, each output field "***".
    void checkRestoreTexts(const char* when) {
        for (const valdenta::DisplayField& f : valdenta::kDisplayFields) {
            const bool input = valdenta::inputFieldOfEdit(f.edit) != nullptr;
            expectText(f.edit,
                       input ? valdenta::formatFixed(window().state().*f.value, f.decimals)
                             : std::string(valdenta::kHiddenText),
                       when);
        }
    }

    /// The window and the model: the same boxes, state, memory slot and texts.
    void checkAgreement() {
        if (!strayDialogs_.isEmpty())
            problem(QStringLiteral("unexpected modal windows: ") +
                    strayDialogs_.join(QStringLiteral(", ")));
        strayDialogs_.clear();
        if (catcher_.boxes != expected_) {
            QStringList shown, expected;
            for (const Box& box : catcher_.boxes)
                shown << box.caption + QStringLiteral(" | ") + box.text;
            for (const Box& box : expected_)
                expected << box.caption + QStringLiteral(" | ") + box.text;
            problem(QStringLiteral("boxes shown [%1], expected [%2]")
                        .arg(shown.join(QStringLiteral("; ")),
                             expected.join(QStringLiteral("; "))));
        }
        for (const auto& value : valdenta::kStateValues) {
            const double w = window().state().*value.member;
            const double m = model_.calc.state().*value.member;
            if (!sameBits(w, m))
                problem(QStringLiteral("state %1: window %2, model %3")
                            .arg(fromView(value.name),
                                 describe(w), describe(m)));
        }
        for (const auto& input : valdenta::kInputValues) {
            const double w = window().memory().*input.memory;
            const double m = model_.calc.memory().*input.memory;
            if (!sameBits(w, m))
                problem(QStringLiteral("memory %1: window %2, model %3")
                            .arg(fromView(input.name),
                                 describe(w), describe(m)));
        }
        for (int n = 1; n <= valdenta::kFieldCount; ++n) {
            const QString model = QString::fromStdString(model_.fields.text(n));
            if (form_.edit(n)->text() != model)
                problem(QStringLiteral("Edit%1: window %2, model %3")
                            .arg(n).arg(quoted(form_.edit(n)->text()), quoted(model)));
        }
    }

    TForm1& form_;
    valdenta::HeadlessCalculator model_;
    Random random_;
    QString folder_;
    BoxCatcher catcher_;
    // Any other modal window would block the run for good: closed and reported.
    QStringList strayDialogs_;
    window_test::ModalAnswerer strayDialogCloser_{[this](QWidget* modal) {
        if (qobject_cast<QMessageBox*>(modal))
            return;
        strayDialogs_ << QString::fromLatin1(modal->metaObject()->className()) +
                             QStringLiteral(" \"") + modal->windowTitle() + QLatin1Char('"');
        modal->close();
    }};
    QList<Box> expected_;
    QStringList problems_;
    QStringList log_;
    std::array<QString, valdenta::kFieldCount + 1> textsBefore_;
    CalcState stateBefore_;
    std::map<std::size_t, InputMemory> saved_;  // inputs at the last Save As into each slot
};

/// The failure message: seed, failing action, problems, the actions before it
/// and how to replay; the whole list of actions goes to a log file.
QString failureReport(std::uint64_t seed, std::uint64_t index, std::uint64_t actions,
                      const QStringList& problems, const QStringList& log) {
    const QString logPath = QDir::current().filePath(QStringLiteral("random_run_%1.log").arg(seed));
    QFile file(logPath);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        file.write((log.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());

    QString report = QStringLiteral("seed %1, action #%2 of %3 failed:\n  %4\n")
                         .arg(seed).arg(index).arg(actions)
                         .arg(problems.join(QStringLiteral("\n  ")));
    const qsizetype first = std::max<qsizetype>(0, log.size() - qsizetype(kActionsShownOnFailure));
    report += QStringLiteral("last actions:\n  ") +
              log.mid(first).join(QStringLiteral("\n  ")) + QLatin1Char('\n');
    report += QStringLiteral("replay: VALDENTA_RANDOM_SEED=%1 VALDENTA_RANDOM_ACTIONS=%2\n")
                  .arg(seed).arg(index + 1);
    report += QStringLiteral("all actions: %1").arg(logPath);
    return report;
}

/// Qt's offscreen platform warns about size hints each time a box is shown;
/// thousands of those lines would bury the run's own output.
QtMessageHandler qtTestMessages = nullptr;

void dropSizeHintWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg &&
        text == QLatin1String("This plugin does not support propagateSizeHints()"))
        return;
    qtTestMessages(type, context, text);
}

}  // namespace

class RandomRunTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        configureApplication();
        qtTestMessages = qInstallMessageHandler(&dropSizeHintWarnings);
    }

    void randomUserActions() {
        const std::optional<std::uint64_t> seed =
            environmentNumber("VALDENTA_RANDOM_SEED", kDefaultSeed);
        const std::optional<std::uint64_t> actions =
            environmentNumber("VALDENTA_RANDOM_ACTIONS", kDefaultActions);
        QVERIFY2(seed && actions,
                 "VALDENTA_RANDOM_SEED and VALDENTA_RANDOM_ACTIONS must be whole numbers");
        qInfo("seed %llu, %llu actions", static_cast<unsigned long long>(*seed),
              static_cast<unsigned long long>(*actions));

        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const std::unique_ptr<TForm1> form = createForms();
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));

        QElapsedTimer clock;
        clock.start();
        RandomRun run(*form, *seed, folder.path());
        QStringList problems = run.checkStart();
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
        for (std::uint64_t i = 0; i < *actions; ++i) {
            problems = run.step(i);
            if (!problems.isEmpty())
                QFAIL(qPrintable(failureReport(*seed, i, *actions, problems, run.log())));
        }

        const Tally& t = run.tally;
        qInfo("%llu actions in %.1f s: %ld keys; Calculate %ld ok, %ld failed; Restore %ld ok, "
              "%ld failed; Memory %ld; Save As %ld ok, %ld failed; Open %ld ok (%ld of saved "
              "files), %ld failed; %ld reactivations",
              static_cast<unsigned long long>(*actions), double(clock.elapsed()) / 1000.0, t.keys,
              t.calculations, t.failedCalculations, t.restores, t.failedRestores, t.memories,
              t.saves, t.failedSaves, t.opens, t.opensOfSaved, t.failedOpens, t.reactivations);
        for (const auto& [text, count] : t.boxes)
            qInfo("%6ld boxes: %s", count, qPrintable(text.left(100)));
        // A long run that never reached a path would prove little about it.
        if (*actions >= 2000) {
            QVERIFY(t.calculations > 0 && t.failedCalculations > 0);
            QVERIFY(t.restores > 0);
            QVERIFY(t.opensOfSaved > 0 && t.failedOpens > 0 && t.saves > 0);
        }
    }
};

QTEST_MAIN(RandomRunTest)
#include "tst_random_run.moc"
