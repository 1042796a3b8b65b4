#include "Unit1.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include <cstdlib>
#include <utility>

#include "Unit2.h"
#include "errordisplay.h"
#include "fieldedits.h"
#include "formulas/matherr.h"
#include "resultfile/resultfile.h"

namespace {

// The 96-dpi design: positions in pixels, relative to the client area or the
// group box.  Labels take the width of their text (adjustSize), since the
// design's widths are those of another font.

constexpr int kEditWidth = 97;
constexpr int kEditHeight = 20;
constexpr int kButtonHeight = 25;

struct GroupBoxDesign {
    const char* name;
    const char* caption;
    int left, top, width, height;
    int editLeft;  // left of the fields in the labelled rows
};

constexpr GroupBoxDesign kGroupBoxes[] = {
    {"GroupBox1", "気象条件", 16, 8, 257, 177, 144},
    {"GroupBox2", "地表面の条件", 288, 8, 241, 177, 128},
    {"GroupBox3", "放射の条件", 16, 200, 257, 153, 144},
    {"GroupBox4", "熱フラックス", 288, 200, 241, 153, 128},
    {"GroupBox5", "地表面の熱収支", 16, 368, 513, 73, 0},
};

/// A labelled row: the label at left 16, 8 below the top of its field.
struct RowDesign {
    int groupBox;  // 1 ... 4
    const char* label;
    const char* caption;
    int edit;
    int top;
    bool input;
};

constexpr RowDesign kRows[] = {
    {1, "Label17", "気温（℃)", 1, 24, true},
    {1, "Label18", "相対湿度(%)", 2, 48, true},
    {1, "Label19", "風速(m/s)", 3, 72, true},
    {1, "Label20", "大気圧(hPa)", 4, 96, true},
    {1, "Label21", "水蒸気圧(hPa)", 5, 120, false},
    {1, "Label22", "比湿(kg/kg)", 6, 144, false},
    {2, "Label1", "アルベド", 7, 24, true},
    {2, "Label2", "顕熱バルク係数", 8, 48, true},
    {2, "Label3", "蒸発効率β", 9, 72, true},
    {2, "Label10", "地表面温度(℃)", 10, 96, false},
    {2, "Label23", "飽和水蒸気圧(hPa)", 11, 120, false},
    {2, "Label24", "飽和比湿(kg/kg)", 12, 144, false},
    {3, "Label7", "全天日射(W/m2)", 13, 24, true},
    {3, "Label8", "大気放射(W/m2)", 14, 48, true},
    {3, "Label9", "上向き短波放射(W/m2)", 15, 72, false},
    {3, "Label16", "上向き長波放射(W/m2)", 16, 96, false},
    {3, "Label25", "正味放射(W/m2)", 17, 120, false},
    {4, "Label4", "顕熱(W/m2)", 18, 24, false},
    {4, "Label5", "潜熱(W/m2)", 19, 48, false},
    {4, "Label11", "地中伝導熱(W/m2)", 20, 72, true},
    {4, "Label14", "ボーエン比", 21, 96, false},
    {4, "Label12", "蒸発速度(mm/day)", 26, 120, false},
};

/// The heat-balance row of GroupBox5: Rn = H + LE + G, each field with a
/// caption under it.  Fields at top 24, symbols at top 32, captions at top 48.
struct BalanceFieldDesign {
    int edit;
    int left;
    const char* label;
    const char* caption;
    int labelLeft;
};

constexpr BalanceFieldDesign kBalanceFields[] = {
    {22, 24, "Label6", "正味放射", 48},
    {23, 160, "Label13", "顕　熱", 192},
    {24, 280, "Label15", "潜　熱", 312},
    {25, 400, "Label26", "地中伝導熱", 416},
};

struct SymbolDesign {
    const char* label;
    const char* caption;
    int left;
};

constexpr SymbolDesign kBalanceSymbols[] = {
    {"Label27", "＝", 136},
    {"Label28", "＋", 264},
    {"Label29", "＋", 384},
};

/// The input fields in tab order, top to bottom by group box.
constexpr int kInputTabOrder[] = {1, 2, 3, 4, 7, 8, 9, 13, 14, 20};

QString editName(int n) { return QStringLiteral("Edit%1").arg(n); }

QLabel* addLabel(QWidget* parent, const char* name, const char* caption, int left, int top) {
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(left, top);
    label->adjustSize();
    return label;
}

QFileDialog* makeCsvDialog(QWidget* parent, const char* name, QFileDialog::AcceptMode mode,
                           QFileDialog::FileMode fileMode) {
    auto* dialog = new QFileDialog(parent);
    dialog->setObjectName(QString::fromLatin1(name));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setNameFilter(QStringLiteral("CSVファイル (*.csv)"));
    dialog->setDefaultSuffix(QStringLiteral("csv"));
    dialog->setDirectory(QStringLiteral("."));
    dialog->setAcceptMode(mode);
    dialog->setFileMode(fileMode);
    return dialog;
}

}  // namespace

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Valdenta"));

    auto* client = new QWidget(this);
    client->setFixedSize(546, 492);
    setCentralWidget(client);
    buildGroupBoxes(client);
    buildButtons(client);
    buildMenu();
    buildFileDialogs();
    buildTabOrder();
    setFixedSize(sizeHint());  // client area plus the menu bar; no resizing
    move(278, 160);

    connectChangeHandlers();
    valdenta::setMathErrorReporter(&showMathErrorBox);
    FormCreate();
}

TForm1::~TForm1() { valdenta::setMathErrorReporter(nullptr); }

void TForm1::buildGroupBoxes(QWidget* client) {
    std::array<QGroupBox*, 6> boxes{};  // [0] unused
    for (int i = 1; i <= 5; ++i) {
        const GroupBoxDesign& design = kGroupBoxes[i - 1];
        auto* box = new QGroupBox(QString::fromUtf8(design.caption), client);
        box->setObjectName(QString::fromLatin1(design.name));
        box->setGeometry(design.left, design.top, design.width, design.height);
        boxes[static_cast<std::size_t>(i)] = box;
    }

    auto* keyFilter = new MenuKeyFilter(this);
    auto addEdit = [&](QWidget* box, int n, bool input, int left, int top) {
        QLineEdit* edit = input ? new InputEdit(box) : makeOutputEdit(box);
        edit->setObjectName(editName(n));
        edit->setGeometry(left, top, kEditWidth, kEditHeight);
        edit->installEventFilter(keyFilter);
        edits_[static_cast<std::size_t>(n)] = edit;
    };

    for (const RowDesign& row : kRows) {
        QGroupBox* box = boxes[static_cast<std::size_t>(row.groupBox)];
        addLabel(box, row.label, row.caption, 16, row.top + 8);
        addEdit(box, row.edit, row.input, kGroupBoxes[row.groupBox - 1].editLeft, row.top);
    }

    QGroupBox* balance = boxes[5];
    for (const BalanceFieldDesign& field : kBalanceFields) {
        addEdit(balance, field.edit, false, field.left, 24);
        addLabel(balance, field.label, field.caption, field.labelLeft, 48);
    }
    for (const SymbolDesign& symbol : kBalanceSymbols)
        addLabel(balance, symbol.label, symbol.caption, symbol.left, 32);
}

void TForm1::buildButtons(QWidget* client) {
    struct ButtonDesign {
        const char* name;
        const char* caption;
        int left, width;
        void (TForm1::*handler)();
    };
    static constexpr ButtonDesign kButtons[] = {
        {"Button1", "計　算", 16, 385, &TForm1::Button1Click},
        {"Button4", "記憶", 416, 49, &TForm1::Button4Click},
        {"Button3", "復帰", 480, 49, &TForm1::Button3Click},
    };
    for (const ButtonDesign& design : kButtons) {
        auto* button = new QPushButton(QString::fromUtf8(design.caption), client);
        button->setObjectName(QString::fromLatin1(design.name));
        button->setGeometry(design.left, 456, design.width, kButtonHeight);
        connect(button, &QPushButton::clicked, this, design.handler);
    }
}

void TForm1::buildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    auto addMenu = [&](const char* name, const char* caption, QKeySequence shortcut) {
        QMenu* menu = bar->addMenu(QString::fromUtf8(caption));
        menu->setObjectName(QString::fromLatin1(name));
        menu->menuAction()->setObjectName(QString::fromLatin1(name));
        // The menu titles' own shortcuts start nothing and open no menu.
        menu->menuAction()->setShortcut(shortcut);
        return menu;
    };
    auto addItem = [&](QMenu* menu, const char* name, const char* caption,
                       void (TForm1::*handler)(), QKeySequence shortcut = {}) {
        QAction* action = menu->addAction(QString::fromUtf8(caption));
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, handler);
    };

    QMenu* file = addMenu("F1", "ﾌｧｲﾙ(&F)", QKeySequence(Qt::CTRL | Qt::Key_F));
    addItem(file, "KO1", "開く(&O)...", &TForm1::KO1Click);
    addItem(file, "K1", "名前を付けて保存(&A)...", &TForm1::K1Click);
    addItem(file, "KX1", "終了(&X)", &TForm1::KX1Click);

    QMenu* edit = addMenu("KE1", "編集(&E)", QKeySequence(Qt::CTRL | Qt::Key_E));
    addItem(edit, "KC1", "計算(&C)", &TForm1::KC1Click, QKeySequence(Qt::CTRL | Qt::Key_C));
    addItem(edit, "KM1", "記憶(&M)", &TForm1::KM1Click, QKeySequence(Qt::CTRL | Qt::Key_M));
    addItem(edit, "KR1", "復帰(&R)", &TForm1::KR1Click, QKeySequence(Qt::CTRL | Qt::Key_R));

    QMenu* help = addMenu("H1", "ﾍﾙﾌﾟ(&H)", QKeySequence());
    addItem(help, "KA1", "ﾊﾞｰｼﾞｮﾝ情報(&A)...", &TForm1::KA1Click);
}

// The dialogs are made on first use (building one takes tens of
// milliseconds) and then kept, so each remembers its folder like any other
// component of the window.
void TForm1::buildFileDialogs() {
    chooseOpenFile = [this] {
        if (!openDialog_)
            openDialog_ = makeCsvDialog(this, "OpenDialog1", QFileDialog::AcceptOpen,
                                        QFileDialog::ExistingFile);
        return runFileDialog(openDialog_);
    };
    chooseSaveFile = [this] {
        if (!saveDialog_)
            saveDialog_ = makeCsvDialog(this, "SaveDialog1", QFileDialog::AcceptSave,
                                        QFileDialog::AnyFile);
        return runFileDialog(saveDialog_);
    };
}

void TForm1::buildTabOrder() {
    QWidget* first = findChild<QPushButton*>(QStringLiteral("Button1"));
    QWidget* previous = first;
    for (const char* name : {"Button4", "Button3"}) {
        QWidget* next = findChild<QPushButton*>(QString::fromLatin1(name));
        QWidget::setTabOrder(previous, next);
        previous = next;
    }
    for (int n : kInputTabOrder) {
        QWidget::setTabOrder(previous, edit(n));
        previous = edit(n);
    }
    first->setFocus();  // taken when the window is first activated
}

void TForm1::connectChangeHandlers() {
    const std::pair<int, void (TForm1::*)(const QString&)> handlers[] = {
        {1, &TForm1::Edit1Change},   {2, &TForm1::Edit2Change},   {3, &TForm1::Edit3Change},
        {4, &TForm1::Edit4Change},   {7, &TForm1::Edit7Change},   {8, &TForm1::Edit8Change},
        {9, &TForm1::Edit9Change},   {13, &TForm1::Edit13Change}, {14, &TForm1::Edit14Change},
        {20, &TForm1::Edit20Change},
    };
    for (const auto& [n, handler] : handlers)
        connect(edit(n), &QLineEdit::textChanged, this, handler);
}

void TForm1::writeText(int n, const std::string& newText) {
    ++writeDepth_;
    edit(n)->setText(QString::fromStdString(newText));
    --writeDepth_;
    if (handlerError_)
        std::rethrow_exception(std::exchange(handlerError_, nullptr));
}

std::string TForm1::text(int n) const { return edit(n)->text().toStdString(); }

void TForm1::inputChange(int n, const QString& newText) {
    try {
        calc_.inputChanged(n, newText.toStdString());
    } catch (const std::exception& e) {
        // Never let an exception cross Qt's signal machinery: a write by a
        // refresh takes the error back to writeText, which ends the command
        // with it; a user's edit shows it at once.
        if (writeDepth_ > 0)
            handlerError_ = std::current_exception();
        else
            showErrorMessage(this, e.what());
    }
}

void TForm1::runCommand(const std::function<void()>& work) {
    try {
        work();
    } catch (const std::exception& e) {
        showErrorMessage(this, e.what());
    }
}

std::optional<QString> TForm1::runFileDialog(QFileDialog* dialog) {
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return std::nullopt;
    return dialog->selectedFiles().constFirst();
}

void TForm1::Edit1Change(const QString& t) { inputChange(1, t); }
void TForm1::Edit2Change(const QString& t) { inputChange(2, t); }
void TForm1::Edit3Change(const QString& t) { inputChange(3, t); }
void TForm1::Edit4Change(const QString& t) { inputChange(4, t); }
void TForm1::Edit7Change(const QString& t) { inputChange(7, t); }
void TForm1::Edit8Change(const QString& t) { inputChange(8, t); }
void TForm1::Edit9Change(const QString& t) { inputChange(9, t); }
void TForm1::Edit13Change(const QString& t) { inputChange(13, t); }
void TForm1::Edit14Change(const QString& t) { inputChange(14, t); }
void TForm1::Edit20Change(const QString& t) { inputChange(20, t); }

void TForm1::Button1Click() {
    runCommand([this] { calc_.calculate(); });
}

void TForm1::Button3Click() {
    runCommand([this] { Restore(); });
}

void TForm1::Button4Click() { calc_.memorise(); }

// Runs while the window is created, before it is shown; an error here ends
// start-up (the entry point shows it).
void TForm1::FormCreate() { calc_.formCreate(); }

void TForm1::Restore() { calc_.restore(); }

void TForm1::KX1Click() { std::exit(0); }

void TForm1::KC1Click() { Button1Click(); }

void TForm1::KM1Click() { Button4Click(); }

void TForm1::KR1Click() {
    runCommand([this] { Restore(); });
}

void TForm1::KO1Click() {
    runCommand([this] {
        if (const std::optional<QString> path = chooseOpenFile())
            valdenta::openResultFile(calc_, QFile::encodeName(*path).toStdString());
    });
}

void TForm1::K1Click() {
    runCommand([this] {
        const std::optional<QString> path = chooseSaveFile();
        if (!path)
            return;
        const QFileInfo info(*path);
        if (info.exists() && !info.isWritable()) {
            showErrorMessage(this, QStringLiteral("%1 は読み取り専用のため保存できません")
                                       .arg(QDir::toNativeSeparators(*path)));
            return;
        }
        valdenta::saveResultFile(calc_, QFile::encodeName(*path).toStdString());
    });
}

void TForm1::KA1Click() {
    if (about_)
        about_->exec();
}
