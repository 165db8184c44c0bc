#include "ui/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <array>

#include "common/program_folder.h"
#include "common/text.h"
#include "generation/random.h"
#include "output/cups_spooler.h"
#include "output/qt_save_dialog.h"
#include "output/save_picture.h"
#include "output/table_model.h"
#include "output/table_painter.h"
#include "output/table_widget.h"
#include "ui/app_icon.h"
#include "ui/gap_label.h"
#include "ui/locale_names.h"
#include "ui/print_actions.h"
#include "ui/qt_message_box.h"
#include "ui/spin_edit.h"
#include "ui/startup.h"
#include "ui/window_placement.h"

namespace suantiji {

namespace {

enum class Kind { Tab, Grid, Group, Combo, Label, Check, Edit, SpinEditBox, Button, NonVisual };

struct ControlDesign {
    const char* name;
    Kind kind;
    const char* parent;  // nullptr: the window
    int left;
    int top;
    int width;
    int height;
    const char* caption;
};

// Design rectangles relative to the parent; tab children relative to the tab control itself.
constexpr std::array<ControlDesign, 38> kControls{{
    {"高级选择夹1", Kind::Tab, nullptr, 8, 8, 352, 688, "四则运算"},
    {"高级表格1", Kind::Grid, nullptr, 368, 0, TableModel::kDesignControlWidth,
     TableModel::kDesignControlHeight, ""},
    {"分组框1", Kind::Group, "高级选择夹1", 8, 32, 336, 56, "难度设置"},
    {"组合框_n元运算", Kind::Combo, "分组框1", 16, 24, 40, 20, ""},
    {"标签4", Kind::Label, "分组框1", 64, 24, 40, 24, "元运算"},
    {"分组框2", Kind::Group, "高级选择夹1", 8, 96, 336, 56, "运算符设置"},
    {"选择框_加", Kind::Check, "分组框2", 16, 24, 40, 24, "+"},
    {"选择框_减", Kind::Check, "分组框2", 56, 24, 40, 24, "-"},
    {"选择框_乘", Kind::Check, "分组框2", 96, 24, 40, 24, "×"},
    {"选择框_除", Kind::Check, "分组框2", 136, 24, 40, 24, "÷"},
    {"分组框3", Kind::Group, "高级选择夹1", 8, 160, 336, 56, "数字范围设置"},
    {"标签1", Kind::Label, "分组框3", 8, 24, 168, 24, "数字范围         以内"},
    {"编辑框_数字范围", Kind::Edit, "分组框3", 64, 24, 40, 20, "100"},
    {"标签2", Kind::Label, "分组框3", 144, 24, 136, 24, "答案范围         以内"},
    {"编辑框_答案范围", Kind::Edit, "分组框3", 200, 24, 40, 20, "1000"},
    {"分组框4", Kind::Group, "高级选择夹1", 8, 224, 336, 56, "输出设置"},
    {"标签3", Kind::Label, "分组框4", 8, 24, 120, 24, "出题数量         题"},
    {"组合框_出题数量", Kind::Combo, "分组框4", 60, 27, 48, 20, ""},
    {"选择框_显示答案", Kind::Check, "分组框4", 144, 24, 72, 24, "显示答案"},
    {"分组框5", Kind::Group, "高级选择夹1", 8, 288, 336, 152, "附加设置"},
    {"选择框_括号题型混合出题", Kind::Check, "分组框5", 8, 24, 104, 24, "包含()混合出题"},
    {"选择框_括号题型单一出题", Kind::Check, "分组框5", 8, 48, 104, 24, "包含()单一出题"},
    {"选择框_每步整数", Kind::Check, "分组框5", 8, 72, 144, 24, "每步不出负数和小数"},
    {"选择框_题目不重复", Kind::Check, "分组框5", 160, 72, 96, 24, "题目不重复"},
    {"分组框6", Kind::Group, "高级选择夹1", 8, 448, 336, 112, "表格样式设置"},
    {"标签5", Kind::Label, "分组框6", 8, 24, 48, 24, "设置行高"},
    {"组合框_设置行高", Kind::Combo, "分组框6", 64, 24, 48, 20, ""},
    {"选择框_显示表格线", Kind::Check, "分组框6", 128, 24, 128, 24, "显示表格线"},
    {"选择框_左对齐", Kind::Check, "分组框6", 216, 24, 64, 24, "左对齐"},
    {"选择框_自定义字号", Kind::Check, "分组框6", 8, 56, 96, 24, "自定义字号"},
    {"编辑框_自定义字号", Kind::SpinEditBox, "分组框6", 88, 56, 40, 20, "12"},
    {"组合框_打印机", Kind::Combo, "高级选择夹1", 8, 576, 200, 20, ""},
    {"按钮_默认打印机设置", Kind::Button, "高级选择夹1", 8, 600, 200, 32, "设置默认打印机"},
    {"按钮_出题", Kind::Button, "高级选择夹1", 8, 640, 80, 32, "出题预览"},
    {"按钮_保存为图片", Kind::Button, "高级选择夹1", 96, 640, 80, 32, "保存为图片"},
    {"按钮_出题预览", Kind::Button, "高级选择夹1", 184, 640, 80, 32, "打印"},
    {"通用对话框1", Kind::NonVisual, nullptr, 0, 0, 0, 0, ""},
    {"打印机1", Kind::NonVisual, nullptr, 0, 0, 0, 0, ""},
}};

// The window's control order: the order in which the controls of one kind are visited.
constexpr std::array<const char*, 38> kControlOrder{"编辑框_自定义字号",
                                                    "选择框_自定义字号",
                                                    "选择框_左对齐",
                                                    "选择框_显示表格线",
                                                    "标签5",
                                                    "组合框_设置行高",
                                                    "分组框6",
                                                    "通用对话框1",
                                                    "打印机1",
                                                    "按钮_出题",
                                                    "分组框5",
                                                    "选择框_题目不重复",
                                                    "选择框_每步整数",
                                                    "选择框_括号题型单一出题",
                                                    "选择框_括号题型混合出题",
                                                    "组合框_打印机",
                                                    "按钮_默认打印机设置",
                                                    "按钮_出题预览",
                                                    "按钮_保存为图片",
                                                    "分组框4",
                                                    "选择框_显示答案",
                                                    "组合框_出题数量",
                                                    "标签3",
                                                    "分组框3",
                                                    "编辑框_答案范围",
                                                    "标签2",
                                                    "编辑框_数字范围",
                                                    "标签1",
                                                    "分组框2",
                                                    "选择框_除",
                                                    "选择框_乘",
                                                    "选择框_减",
                                                    "选择框_加",
                                                    "分组框1",
                                                    "标签4",
                                                    "组合框_n元运算",
                                                    "高级选择夹1",
                                                    "高级表格1"};

// Keyboard focus moves top to bottom, following the control table.
constexpr std::array<const char*, 23> kTabOrder{"组合框_n元运算",
                                                "选择框_加",
                                                "选择框_减",
                                                "选择框_乘",
                                                "选择框_除",
                                                "编辑框_数字范围",
                                                "编辑框_答案范围",
                                                "组合框_出题数量",
                                                "选择框_显示答案",
                                                "选择框_括号题型混合出题",
                                                "选择框_括号题型单一出题",
                                                "选择框_每步整数",
                                                "选择框_题目不重复",
                                                "组合框_设置行高",
                                                "选择框_显示表格线",
                                                "选择框_左对齐",
                                                "选择框_自定义字号",
                                                "编辑框_自定义字号",
                                                "组合框_打印机",
                                                "按钮_默认打印机设置",
                                                "按钮_出题",
                                                "按钮_保存为图片",
                                                "按钮_出题预览"};

const char* kindName(Kind kind) {
    switch (kind) {
        case Kind::Check:
            return kKindCheckBox;
        case Kind::Edit:
        case Kind::SpinEditBox:
            return kKindEditBox;
        case Kind::Combo:
            return kKindComboBox;
        default:
            return "";
    }
}

const ControlDesign* designOf(const std::string& name) {
    for (const ControlDesign& design : kControls) {
        if (name == design.name) return &design;
    }
    return nullptr;
}

struct ComboDefaults {
    const char* name;
    std::vector<const char*> items;
    int selected;
};

const std::array<ComboDefaults, 4>& comboDefaults() {
    static const std::array<ComboDefaults, 4> defaults{{
        {"组合框_n元运算", {"2", "3", "4", "5", "6", "7", "8", "9"}, 2},
        {"组合框_出题数量", {"10", "20", "30", "40", "50", "60", "70", "80", "90", "100"}, 9},
        {"组合框_设置行高", {"30", "31", "32", "33", "34", "35", "36"}, 4},
        {"组合框_打印机", {}, -1},
    }};
    return defaults;
}

constexpr const char* kContentProperty = "contentText";
constexpr const char* kCheckedByDefault[] = {"选择框_加", "选择框_减"};

QString q(const std::string& text) { return QString::fromStdString(text); }
std::string s(const QString& text) { return text.toStdString(); }

}  // namespace

struct MainWindow::Owned {
    QtMessageBox realMessages;
    DesktopFileOpener realOpener;
    std::unique_ptr<QtSaveFileDialog> realDialog;
    std::unique_ptr<RandomSource> realRandom;
    MainWindowServices services;
};

MainWindow::MainWindow(MainWindowServices services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_owned(std::make_unique<Owned>()),
      m_programFolder(services.programFolder.empty() ? ProgramFolder() : services.programFolder),
      m_table(std::make_unique<TableModel>()) {
    setWindowTitle(QStringLiteral("禾木算题机v1.3    BY：岚禾坊"));
    setWindowIcon(AppIcon());
    setFixedSize(kWidth, kHeight);

    buildControls();
    putInScrollAreas();
    setTabOrder();
    connectEvents();

    if (services.random == nullptr) {
        m_owned->realRandom = std::make_unique<RandomSource>();
        services.random = m_owned->realRandom.get();
    }
    if (services.messages == nullptr) services.messages = &m_owned->realMessages;
    // Threads still waiting on CUPS may outlive the window: they share the real spooler.
    std::shared_ptr<PrinterSpooler> spooler =
        services.spooler != nullptr
            ? std::shared_ptr<PrinterSpooler>(std::shared_ptr<void>(), services.spooler)
            : std::make_shared<CupsSpooler>();
    if (services.opener == nullptr) services.opener = &m_owned->realOpener;
    if (services.saveDialog == nullptr) {
        m_owned->realDialog = std::make_unique<QtSaveFileDialog>(this);
        services.saveDialog = m_owned->realDialog.get();
    }
    if (!services.askForPrinter) services.askForPrinter = ShowPrintDialog;
    if (!services.clock) services.clock = LocalNow;
    m_owned->services = services;
    m_sheetMaker =
        std::make_unique<SheetMaker>(*this, *m_table, *services.random, *services.messages,
                                     CellTextWidth, services.clock, SystemLocaleNames());
    m_printActions = std::make_unique<PrintActions>(std::move(spooler), *services.messages,
                                                    services.askForPrinter);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        FitToScreen(screen->availableGeometry());
    }
    OnMainWindowCreated(*this, *m_printActions);
}

MainWindow::~MainWindow() {
    if (!m_saved) OnMainWindowDestroying(*this);
    // No answer from the print system may reach a window that is going.
    m_printActions.reset();
    // The table widget listens to the model, which dies with this object's members, before
    // QWidget would delete the child.
    delete m_tableWidget;
    m_tableWidget = nullptr;
}

void MainWindow::buildControls() {
    const QFont windowFont = QApplication::font();
    for (const ControlDesign& design : kControls) {
        QWidget* parent = design.parent ? control(design.parent) : this;
        const QString caption = QString::fromUtf8(design.caption);
        QWidget* widget = nullptr;
        switch (design.kind) {
            case Kind::Tab: {
                m_tabs = new QTabWidget(parent);
                m_tabs->addTab(new QWidget, caption);
                m_tabs->tabBar()->setFocusPolicy(Qt::NoFocus);
                QFont tabFont(QStringLiteral("SimSun"));
                tabFont.setPixelSize(12);
                tabFont.setWeight(QFont::Normal);
                m_tabs->setFont(tabFont);
                widget = m_tabs;
                break;
            }
            case Kind::Grid:
                m_tableWidget = new TableWidget(*m_table, parent);
                widget = m_tableWidget;
                break;
            case Kind::Group:
                widget = new QGroupBox(caption, parent);
                break;
            case Kind::Label: {
                auto* label = new GapLabel(caption, parent);
                label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                label->setContentsMargins(0, 3, 0, 0);
                widget = label;
                break;
            }
            case Kind::Check:
                widget = new QCheckBox(caption, parent);
                break;
            case Kind::Edit:
            case Kind::SpinEditBox: {
                QLineEdit* edit =
                    design.kind == Kind::Edit ? new QLineEdit(parent) : new SpinEdit(0, 30, parent);
                edit->setText(caption);
                edit->setAlignment(Qt::AlignCenter);
                edit->setFrame(true);
                QPalette palette = edit->palette();
                palette.setColor(QPalette::Base, Qt::white);
                palette.setColor(QPalette::Text, Qt::black);
                edit->setPalette(palette);
                widget = edit;
                break;
            }
            case Kind::Combo: {
                auto* box = new QComboBox(parent);
                // The design's lists are narrow: keep the text clear of the arrow.
                box->setStyleSheet(
                    QStringLiteral("QComboBox { padding: 0px 0px 0px 3px; }"
                                   "QComboBox::drop-down { width: 14px; }"));
                box->setEditable(false);
                box->setProperty(kContentProperty, QString());
                widget = box;
                break;
            }
            case Kind::Button: {
                auto* button = new QPushButton(caption, parent);
                button->setAutoDefault(false);
                button->setDefault(false);
                widget = button;
                break;
            }
            case Kind::NonVisual: {
                auto* object = new QObject(this);
                object->setObjectName(QString::fromUtf8(design.name));
                continue;
            }
        }
        widget->setObjectName(QString::fromUtf8(design.name));
        widget->setGeometry(design.left, design.top, design.width, design.height);
        if (parent == m_tabs) {
            // The tab control's own font is for its tab strip; its controls keep the window's.
            widget->setFont(windowFont);
            widget->raise();
        }
    }
    widenBlanks();
    for (const ComboDefaults& defaults : comboDefaults()) {
        for (const char* item : defaults.items) AppendItem(defaults.name, item, 0);
        combo(defaults.name)->setCurrentIndex(defaults.selected);
    }
    for (const char* name : kCheckedByDefault) SetChecked(name, true);
}

// The blanks of these captions sit under a control; their text goes on after it.
void MainWindow::widenBlanks() {
    constexpr std::array<std::pair<const char*, const char*>, 3> kCovered{
        {{"标签1", "编辑框_数字范围"}, {"标签2", "编辑框_答案范围"}, {"标签3", "组合框_出题数量"}}};
    for (const auto& [labelName, coverName] : kCovered) {
        auto* label = findChild<GapLabel*>(QString::fromUtf8(labelName));
        const QWidget* cover = control(coverName);
        if (label != nullptr && cover != nullptr) {
            label->setGapEnd(cover->geometry().right() + 4 - label->x());
        }
    }
}

// The choices and the sheet each sit in a scroll area without a frame: where the window is as
// designed, nothing scrolls and every control keeps its place; on a smaller screen every
// question, answer and button can still be reached.
void MainWindow::putInScrollAreas() {
    auto scrollArea = [this](QWidget* content) {
        auto* area = new QScrollArea(this);
        area->setFrameShape(QFrame::NoFrame);
        area->setFocusPolicy(Qt::NoFocus);
        area->setWidget(content);
        return area;
    };
    auto* choices = new QWidget;
    choices->resize(m_tableWidget->x(), m_tabs->geometry().bottom() + 1);
    m_tabs->setParent(choices);
    m_choicesArea = scrollArea(choices);
    m_choicesArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_tableWidget->move(0, 0);
    m_sheetArea = scrollArea(m_tableWidget);
}

void MainWindow::FitToScreen(const QRect& available) {
    const QRect frame = frameGeometry();
    const QRect inside = geometry();
    const QMargins margins(inside.left() - frame.left(), inside.top() - frame.top(),
                           frame.right() - inside.right(), frame.bottom() - inside.bottom());
    if (!margins.isNull()) m_placedWithFrame = true;
    const QRect client = PlaceWindow(available, QSize(kWidth, kHeight), margins);
    setFixedSize(client.size());
    // A window's position is its frame's.
    move(client.topLeft() - QPoint(margins.left(), margins.top()));

    const int choicesWidth = m_choicesArea->widget()->width();
    const bool choicesScroll = client.height() < m_choicesArea->widget()->height();
    const int barWidth = choicesScroll ? m_choicesArea->verticalScrollBar()->sizeHint().width() : 0;
    m_choicesArea->setGeometry(0, 0, choicesWidth + barWidth, client.height());
    m_sheetArea->setGeometry(choicesWidth + barWidth, 0,
                             std::max(0, client.width() - choicesWidth - barWidth),
                             client.height());
}

void MainWindow::setTabOrder() {
    for (std::size_t i = 0; i + 1 < kTabOrder.size(); ++i) {
        QWidget::setTabOrder(control(kTabOrder[i]), control(kTabOrder[i + 1]));
    }
    m_tableWidget->setFocusPolicy(Qt::NoFocus);
}

void MainWindow::connectEvents() {
    auto button = [this](const char* name) { return findChild<QPushButton*>(name); };
    connect(button("按钮_出题"), &QPushButton::clicked, this, [this] { GenerateSheet(); });
    connect(button("按钮_出题预览"), &QPushButton::clicked, this, [this] { PrintSheet(); });
    connect(button("按钮_保存为图片"), &QPushButton::clicked, this, [this] { SaveSheetPicture(); });
    connect(button("按钮_默认打印机设置"), &QPushButton::clicked, this,
            [this] { ApplyPrinterChoice(); });
    connect(combo("组合框_设置行高"), &QComboBox::activated, this, [this] { ApplyRowHeight(); });
    connect(findChild<QCheckBox*>("选择框_显示表格线"), &QCheckBox::clicked, this,
            [this] { ToggleGridLines(); });
    connect(findChild<QCheckBox*>("选择框_显示答案"), &QCheckBox::clicked, this,
            [this] { ToggleAnswers(); });
}

bool MainWindow::GenerateSheet() {
    // A rare request can keep the window busy for a noticeable moment.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool shown = m_sheetMaker->GenerateSheet();
    QApplication::restoreOverrideCursor();
    return shown;
}

void MainWindow::PrintSheet() { m_printActions->PrintSheet(*m_table); }

void MainWindow::SaveSheetPicture() {
    suantiji::SaveSheetPicture(m_tableWidget, m_programFolder, m_sheetMaker->SheetTimestamp(),
                               *m_owned->services.saveDialog, *m_owned->services.opener,
                               *m_owned->services.messages);
}

void MainWindow::ApplyPrinterChoice() { m_printActions->ApplyPrinterChoice(*this); }

bool MainWindow::FinishPrintSystemCalls(std::chrono::milliseconds limit) {
    return m_printActions->Finish(limit);
}

void MainWindow::ApplyRowHeight() {
    const int height = TextToInteger(ContentText("组合框_设置行高"));
    for (int row = 1; row <= 20; ++row) m_table->SetRowHeight(row, height);
}

void MainWindow::ToggleGridLines() {
    if (m_table->GetCellText(0, 1).empty()) return;
    m_table->SetGridLineMode(IsChecked("选择框_显示表格线") ? GridLines::Both : GridLines::None);
}

void MainWindow::ToggleAnswers() {
    // A key to the questions shown, rather than new questions with answers.
    m_sheetMaker->ShowAnswers(IsChecked("选择框_显示答案"));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Every way of closing ends here while the controls still hold their last state.
    if (!m_saved) {
        OnMainWindowDestroying(*this);
        m_saved = true;
    }
    event->accept();
}

bool MainWindow::event(QEvent* event) {
    // The window manager's frame is known only once the window is shown, often only when it has
    // moved the window into the frame: place it again then, once, so that the whole frame is
    // centred and kept on the screen.
    if ((event->type() == QEvent::Show || event->type() == QEvent::Move) && !m_placedWithFrame &&
        frameGeometry() != geometry()) {
        if (const QScreen* shownOn = screen()) FitToScreen(shownOn->availableGeometry());
    }
    return QWidget::event(event);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // No control claims Esc, so it reaches the window from every control and closes it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    // Enter has no window-wide meaning.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

QWidget* MainWindow::control(const std::string& name) const {
    if (name == objectName().toStdString()) return nullptr;
    return findChild<QWidget*>(q(name));
}

QComboBox* MainWindow::combo(const std::string& name) const {
    return findChild<QComboBox*>(q(name));
}

std::vector<std::string> MainWindow::ControlsOfKind(const std::string& kind) const {
    std::vector<std::string> names;
    for (const char* name : kControlOrder) {
        const ControlDesign* design = designOf(name);
        if (design != nullptr && kind == kindName(design->kind) && control(name) != nullptr) {
            names.emplace_back(name);
        }
    }
    return names;
}

bool MainWindow::IsChecked(const std::string& name) const {
    const auto* box = findChild<QCheckBox*>(q(name));
    return box != nullptr && box->isChecked();
}

void MainWindow::SetChecked(const std::string& name, bool checked) {
    if (auto* box = findChild<QCheckBox*>(q(name))) box->setChecked(checked);
}

std::string MainWindow::ContentText(const std::string& name) const {
    if (const auto* edit = findChild<QLineEdit*>(q(name))) return s(edit->text());
    // A drop-down list reads as its selected item's text.
    if (const QComboBox* box = combo(name)) return s(box->currentText());
    return {};
}

void MainWindow::SetContentText(const std::string& name, const std::string& text) {
    if (auto* edit = findChild<QLineEdit*>(q(name))) {
        edit->setText(q(text));
    } else if (QComboBox* box = combo(name)) {
        box->setProperty(kContentProperty, q(text));
    }
}

int MainWindow::CurrentIndex(const std::string& name) const {
    const QComboBox* box = combo(name);
    return box ? box->currentIndex() : -1;
}

void MainWindow::SetCurrentIndex(const std::string& name, int index) {
    QComboBox* box = combo(name);
    if (box == nullptr) return;
    index = std::min(index, box->count() - 1);
    box->setCurrentIndex(std::max(index, -1));
}

int MainWindow::ItemCount(const std::string& name) const {
    const QComboBox* box = combo(name);
    return box ? box->count() : 0;
}

std::string MainWindow::ItemText(const std::string& name, int index) const {
    const QComboBox* box = combo(name);
    if (box == nullptr || index < 0 || index >= box->count()) return {};
    return s(box->itemText(index));
}

int MainWindow::ItemValue(const std::string& name, int index) const {
    const QComboBox* box = combo(name);
    if (box == nullptr || index < 0 || index >= box->count()) return -1;
    return box->itemData(index).toInt();
}

int MainWindow::AppendItem(const std::string& name, const std::string& text, int value) {
    QComboBox* box = combo(name);
    if (box == nullptr) return -1;
    const int selected = box->currentIndex();
    box->addItem(q(text), value);
    // Appending never selects: a list with nothing chosen keeps nothing chosen.
    box->setCurrentIndex(selected);
    return box->count() - 1;
}

void MainWindow::ClearItems(const std::string& name) {
    if (QComboBox* box = combo(name)) box->clear();
}

}  // namespace suantiji
