#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "common/message_box.h"
#include "common/text.h"
#include "generation/exact_value.h"
#include "generation/random.h"
#include "generation/sheet_layout.h"
#include "output/printer_spooler.h"
#include "output/table_model.h"
#include "output/table_painter.h"
#include "output/table_widget.h"
#include "settings/gbk_text.h"
#include "tests/support/recording_message_box.h"
#include "ui/spin_edit.h"

namespace suantiji {
namespace {

namespace fs = std::filesystem;

class FixedSpooler : public PrinterSpooler {
public:
    std::vector<std::string> ListPrinters() override { return {"Office", "Lab"}; }
    std::string DefaultPrinterName() override { return m_default; }
    bool ChangeDefaultPrinter(const std::string& name) override {
        if (name != "Office") return false;
        m_default = name;
        return true;
    }

private:
    std::string m_default = "Lab";
};

// Also notes the pointer shown while each message is up.
class NotingMessageBox : public RecordingMessageBox {
public:
    void Show(const std::string& caption, const std::string& text, MessageIcon icon) override {
        const QCursor* cursor = QApplication::overrideCursor();
        cursors.push_back(cursor != nullptr ? cursor->shape() : Qt::ArrowCursor);
        RecordingMessageBox::Show(caption, text, icon);
    }
    std::vector<Qt::CursorShape> cursors;
};

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() /
                   ("suantiji-ui-" + std::to_string(::getpid()) + "-" +
                    testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        MainWindowServices services;
        services.messages = &m_messages;
        services.spooler = &m_spooler;
        services.programFolder = m_folder.string();
        services.clock = [] { return DateTimeFields{2026, 12, 7, 1, 9, 5, 3}; };
        m_window = std::make_unique<MainWindow>(services);
    }
    void TearDown() override {
        m_window.reset();
        fs::remove_all(m_folder);
    }

    template <typename T>
    T* find(const char* name) {
        T* widget = m_window->findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    std::string text(const char* name) { return m_window->controls().ContentText(name); }

    fs::path m_folder;
    NotingMessageBox m_messages;
    FixedSpooler m_spooler;
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(MainWindowTest, FirstRunShowsTheDesignDefaults) {
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("禾木算题机v1.3    BY：岚禾坊"));
    EXPECT_EQ(m_window->minimumSize(), m_window->maximumSize());
    EXPECT_FALSE(m_window->windowFlags() & Qt::WindowMaximizeButtonHint);
    for (int size : {16, 32, 48, 64}) {
        // A pixmap of its own size: the picture of that size is there, not one scaled from it.
        const QImage image = m_window->windowIcon().pixmap(size).toImage();
        EXPECT_EQ(image.size(), QSize(size, size));
        EXPECT_TRUE(image.hasAlphaChannel()) << size;
    }
    for (const char* name : {"选择框_加", "选择框_减"})
        EXPECT_TRUE(m_window->controls().IsChecked(name));
    for (const char* name : {"选择框_乘", "选择框_除", "选择框_显示答案", "选择框_括号题型混合出题",
                             "选择框_括号题型单一出题", "选择框_每步整数", "选择框_题目不重复",
                             "选择框_显示表格线", "选择框_左对齐", "选择框_自定义字号"}) {
        EXPECT_FALSE(m_window->controls().IsChecked(name)) << name;
    }
    EXPECT_EQ(text("组合框_n元运算"), "4");
    EXPECT_EQ(text("编辑框_数字范围"), "100");
    EXPECT_EQ(text("编辑框_答案范围"), "1000");
    EXPECT_EQ(text("组合框_出题数量"), "100");
    EXPECT_EQ(text("组合框_设置行高"), "34");
    EXPECT_EQ(text("编辑框_自定义字号"), "12");
    EXPECT_EQ(m_window->controls().ItemCount("组合框_出题数量"), 10);
    EXPECT_EQ(m_window->controls().ItemText("组合框_出题数量", 0), "10");
    EXPECT_EQ(m_window->controls().ItemCount("组合框_n元运算"), 8);
    EXPECT_EQ(m_window->controls().ItemCount("组合框_设置行高"), 7);
}

// The request as the generator reads it from the window a person sees: the box marked "×"
// gives "*", whatever the controls are called.
TEST_F(MainWindowTest, RequestIsReadFromTheWindowAsShown) {
    m_window->show();
    std::map<QString, QCheckBox*> byMark;
    for (QCheckBox* box : find<QGroupBox>("分组框2")->findChildren<QCheckBox*>()) {
        box->setChecked(false);
        byMark[box->text()] = box;
    }
    // Ticked from ÷ back to +: each box adds its operator, and the order stays + - * /.
    const std::pair<QString, std::vector<std::string>> steps[] = {
        {"÷", {"/"}}, {"×", {"*", "/"}}, {"-", {"-", "*", "/"}}, {"+", {"+", "-", "*", "/"}}};
    for (const auto& [mark, operators] : steps) {
        ASSERT_TRUE(byMark.count(mark)) << mark.toStdString();
        QTest::mouseClick(byMark[mark], Qt::LeftButton);
        EXPECT_EQ(ReadGenerationRequest(m_window->controls()).operators, operators)
            << mark.toStdString();
    }

    m_window->controls().SetCurrentIndex("组合框_n元运算", -1);
    m_window->controls().SetCurrentIndex("组合框_出题数量", -1);
    for (const char* name : {"编辑框_数字范围", "编辑框_答案范围"}) {
        auto* edit = find<QLineEdit>(name);
        edit->clear();
        QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                        QStringLiteral("１２０"));
        QApplication::sendEvent(edit, &typed);  // as an input method hands over full-width text
    }
    const GenerationRequest request = ReadGenerationRequest(m_window->controls());
    EXPECT_EQ(request.operandCount, 0);
    EXPECT_EQ(request.questionCount, 0);
    EXPECT_EQ(request.numberLimit, 120);
    EXPECT_EQ(request.answerLimit, 120);
}

TEST_F(MainWindowTest, ControlsOfAKindComeInTheWindowsOrder) {
    EXPECT_EQ(m_window->controls().ControlsOfKind("选择框"),
              (std::vector<std::string>{
                  "选择框_自定义字号", "选择框_左对齐", "选择框_显示表格线", "选择框_题目不重复",
                  "选择框_每步整数", "选择框_括号题型单一出题", "选择框_括号题型混合出题",
                  "选择框_显示答案", "选择框_除", "选择框_乘", "选择框_减", "选择框_加"}));
    EXPECT_EQ(
        m_window->controls().ControlsOfKind("编辑框"),
        (std::vector<std::string>{"编辑框_自定义字号", "编辑框_答案范围", "编辑框_数字范围"}));
    EXPECT_EQ(m_window->controls().ControlsOfKind("组合框"),
              (std::vector<std::string>{"组合框_设置行高", "组合框_打印机", "组合框_出题数量",
                                        "组合框_n元运算"}));
    EXPECT_TRUE(m_window->controls().ControlsOfKind("单选框").empty());
    EXPECT_TRUE(m_window->controls().ControlsOfKind("按钮").empty());
}

TEST_F(MainWindowTest, ComboBoxAccessorsClampAndReadOutsideTheList) {
    const std::string name = "组合框_设置行高";
    m_window->controls().SetCurrentIndex(name, 99);
    EXPECT_EQ(m_window->controls().CurrentIndex(name), 6);
    EXPECT_EQ(text("组合框_设置行高"), "36");
    m_window->controls().SetCurrentIndex(name, -7);
    EXPECT_EQ(m_window->controls().CurrentIndex(name), -1);
    EXPECT_EQ(text("组合框_设置行高"), "");
    EXPECT_EQ(m_window->controls().ItemText(name, 7), "");
    EXPECT_EQ(m_window->controls().ItemValue(name, -1), -1);
    EXPECT_EQ(m_window->controls().ItemValue(name, 0), 0);
    m_window->controls().SetCurrentIndex(name, 2);
    m_window->controls().SetContentText(name, "anything");  // a drop-down list reads its selection
    EXPECT_EQ(text("组合框_设置行高"), "32");
    EXPECT_EQ(m_window->controls().AppendItem(name, "40", -3), 7);
    EXPECT_EQ(m_window->controls().ItemValue(name, 7), -3);
    EXPECT_EQ(m_window->controls().CurrentIndex(name), 2);
    m_window->controls().ClearItems(name);
    EXPECT_EQ(m_window->controls().ItemCount(name), 0);
    EXPECT_EQ(m_window->controls().CurrentIndex(name), -1);
    EXPECT_EQ(m_window->controls().ItemValue("no such control", 0), -1);
    EXPECT_EQ(m_window->controls().AppendItem("no such control", "x"), -1);
}

TEST_F(MainWindowTest, CustomFontSizeBoxFiltersTypingAndSpinsWithWrap) {
    auto* spin = find<SpinEdit>("编辑框_自定义字号");
    spin->clear();
    QTest::keyClicks(spin, QStringLiteral("a1b-2.x"));
    EXPECT_EQ(spin->text(), QStringLiteral("1-2"));
    struct Step {
        const char* start;
        bool up;
        const char* result;
    };
    for (const Step& step : {Step{"30", true, "0"}, Step{"0", false, "30"}, Step{"12", true, "13"},
                             Step{"50", false, "30"}, Step{"50", true, "0"}, Step{"-5", true, "0"},
                             Step{"abc", true, "1"}}) {
        spin->setText(QString::fromUtf8(step.start));
        QTest::mouseClick(step.up ? spin->upButton() : spin->downButton(), Qt::LeftButton);
        EXPECT_EQ(spin->text().toStdString(), step.result) << step.start;
        EXPECT_EQ(spin->selectedText(), spin->text());
    }
    // The limit boxes take any text.
    auto* limit = find<QLineEdit>("编辑框_数字范围");
    limit->clear();
    QKeyEvent wide(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("约"));
    QApplication::sendEvent(limit, &wide);
    QTest::keyClicks(limit, QStringLiteral("50"));
    EXPECT_EQ(limit->text(), QStringLiteral("约50"));
}

TEST_F(MainWindowTest, RowHeightChoiceActsOnlyOnUserChoice) {
    auto* box = find<QComboBox>("组合框_设置行高");
    m_window->controls().SetCurrentIndex("组合框_设置行高", 0);  // from code: no event
    EXPECT_EQ(m_window->table().RowHeight(1), 34);
    m_window->show();
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Down);  // the user picks "31"
    EXPECT_EQ(text("组合框_设置行高"), "31");
    for (int row = 1; row <= 20; ++row) EXPECT_EQ(m_window->table().RowHeight(row), 31);
    EXPECT_EQ(m_window->table().RowHeight(0), 34);
}

TEST_F(MainWindowTest, GridLineClickActsOnlyOnAShownSheet) {
    auto* grid = find<QCheckBox>("选择框_显示表格线");
    m_window->show();
    QTest::mouseClick(grid, Qt::LeftButton);
    EXPECT_TRUE(grid->isChecked());
    EXPECT_EQ(m_window->table().GridLineMode(), GridLines::None);
    ASSERT_TRUE(m_window->GenerateSheet());
    EXPECT_EQ(m_window->table().GridLineMode(),
              GridLines::Both);  // the layout applies the check box
    QTest::mouseClick(grid, Qt::LeftButton);
    EXPECT_EQ(m_window->table().GridLineMode(), GridLines::None);
    QTest::mouseClick(grid, Qt::LeftButton);
    EXPECT_EQ(m_window->table().GridLineMode(), GridLines::Both);
}

TEST_F(MainWindowTest, GenerateButtonLaysOutACompleteSheet) {
    m_window->controls().SetChecked("选择框_显示答案", true);
    m_window->controls().SetChecked("选择框_乘", true);
    m_window->show();
    QTest::mouseClick(find<QPushButton>("按钮_出题"), Qt::LeftButton);
    const TableModel& table = m_window->table();
    EXPECT_EQ(m_window->sheetTimestamp(), "2026/12/7 Monday 09:05:03");
    EXPECT_EQ(table.GetCellText(0, 1).rfind("     题目数：100    姓名：", 0), 0u);
    for (int column = 1; column <= 5; ++column) {
        for (int row = 1; row <= 20; ++row) {
            EXPECT_FALSE(table.GetCellText(row, column).empty()) << row << "," << column;
            EXPECT_FALSE(table.GetCellText(row, column + 6).empty()) << row << "," << column;
        }
    }
    EXPECT_EQ(table.ControlWidth(), 1045);
    EXPECT_EQ(table.ControlHeight(), 735);
    EXPECT_EQ(m_window->tableWidget()->size(), QSize(1045, 735));
    EXPECT_TRUE(m_messages.shown.empty());
}

TEST_F(MainWindowTest, AnswerBoxWritesAndRemovesTheKeyOfTheSheetShown) {
    auto* answers = find<QCheckBox>("选择框_显示答案");
    const TableModel& table = m_window->table();
    m_window->show();
    QTest::mouseClick(answers, Qt::LeftButton);  // no sheet yet: only the check mark changes
    EXPECT_EQ(table.ColumnWidth(7), TableModel::kDefaultColumnWidth);
    QTest::mouseClick(answers, Qt::LeftButton);
    ASSERT_TRUE(m_window->GenerateSheet());
    const TableModel shown = table;

    QTest::mouseClick(answers, Qt::LeftButton);
    for (int row = 0; row <= 20; ++row) {
        for (int column = 1; column <= 5; ++column) {
            EXPECT_EQ(table.GetCellText(row, column), shown.GetCellText(row, column));
            if (row > 0) {
                EXPECT_FALSE(table.GetCellText(row, column + 6).empty()) << row;
            }
        }
    }
    EXPECT_EQ(table.ColumnWidth(1), 160);
    EXPECT_EQ(table.ColumnWidth(7), 30);
    EXPECT_EQ(m_window->tableWidget()->size(), QSize(1045, 735));

    QTest::mouseClick(answers, Qt::LeftButton);
    EXPECT_EQ(table.ColumnWidths(), shown.ColumnWidths());
    EXPECT_EQ(table.GetCellText(1, 7), "");
    EXPECT_EQ(m_window->tableWidget()->size(), QSize(1045, 735));
}

// Sheets whose questions or answers outgrow the design's columns, in the fonts they are drawn in.
TEST_F(MainWindowTest, EveryQuestionAndAnswerFitsItsColumn) {
    struct Case {
        const char* operands;
        const char* numberLimit;
        const char* answerLimit;
        const char* customHeight;  // nullptr: by the number of operands
    };
    const Case cases[] = {{"9", "30000", "100000", nullptr}, {"6", "100", "1000", "24"}};
    for (const Case& c : cases) {
        m_window->controls().SetCurrentIndex("组合框_n元运算", std::stoi(c.operands) - 2);
        m_window->controls().SetContentText("编辑框_数字范围", c.numberLimit);
        m_window->controls().SetContentText("编辑框_答案范围", c.answerLimit);
        m_window->controls().SetChecked("选择框_自定义字号", c.customHeight != nullptr);
        if (c.customHeight)
            m_window->controls().SetContentText("编辑框_自定义字号", c.customHeight);
        m_window->controls().SetChecked("选择框_显示答案", true);
        m_window->controls().SetChecked("选择框_显示表格线", true);
        ASSERT_TRUE(m_window->GenerateSheet());
        const TableModel& table = m_window->table();
        for (int row = 1; row <= 20; ++row) {
            for (int column : {1, 2, 3, 4, 5, 7, 8, 9, 10, 11}) {
                const Cell& cell = table.CellAt(row, column);
                // A pixel clear on either side besides the grid line.
                EXPECT_LE(CellTextWidth(cell.text, cell.format) + 3, table.ColumnWidth(column))
                    << c.numberLimit << " " << cell.text;
            }
        }
        EXPECT_GT(table.ControlWidth(), 1045) << c.numberLimit;
        EXPECT_EQ(m_window->tableWidget()->width(), table.ControlWidth());
    }
}

TEST_F(MainWindowTest, ARequestWithoutQuestionsKeepsTheSheetAndSaysWhy) {
    ASSERT_TRUE(m_window->GenerateSheet());
    const std::string header = m_window->table().GetCellText(0, 1);
    const std::string first = m_window->table().GetCellText(1, 1);
    find<QLineEdit>("编辑框_答案范围")->setText(QStringLiteral("0"));
    EXPECT_FALSE(m_window->GenerateSheet());
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].caption, "信息：");
    EXPECT_EQ(m_messages.shown[0].icon, MessageIcon::Warning);
    EXPECT_FALSE(m_messages.shown[0].text.empty());
    // Busy while the sheet was being made, and not once it is done.
    EXPECT_EQ(m_messages.cursors, std::vector<Qt::CursorShape>{Qt::WaitCursor});
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(m_window->table().GetCellText(0, 1), header);
    EXPECT_EQ(m_window->table().GetCellText(1, 1), first);
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The two choices beyond the plain sheet, ticked in the window: every question on the sheet
// keeps each rule; both are kept in the settings file, and a file from before them restores
// both unticked.
TEST_F(MainWindowTest, WholeStepsAndNoRepeatsHoldOnTheSheetAndAreKept) {
    m_window->show();
    m_window->controls().SetChecked("选择框_乘", true);
    m_window->controls().SetChecked("选择框_除", true);
    QTest::mouseClick(find<QCheckBox>("选择框_每步整数"), Qt::LeftButton);
    QTest::mouseClick(find<QCheckBox>("选择框_题目不重复"), Qt::LeftButton);
    QTest::mouseClick(find<QPushButton>("按钮_出题"), Qt::LeftButton);
    std::set<std::string> questions;
    for (int column = 1; column <= 5; ++column) {
        for (int row = 1; row <= 20; ++row) {
            std::string q = m_window->table().GetCellText(row, column);
            q = ReplaceAll(ReplaceAll(ReplaceAll(q, "×", "*"), "÷", "/"), "=", "");
            EXPECT_TRUE(WorkOut(q).wholeSteps) << q;
            questions.insert(q);
        }
    }
    EXPECT_EQ(questions.size(), 100u);
    m_window->close();
    const std::string saved = GbkToUtf8(readFile(m_folder / "data" / "config.abc"));
    EXPECT_NE(saved.find("\r\n选择框_每步整数=真\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\r\n选择框_题目不重复=真\r\n"), std::string::npos) << saved;

    std::ofstream(m_folder / "data" / "config.abc", std::ios::binary)
        << Utf8ToGbk("[选择框]\r\n选择框_乘=真\r\n");
    MainWindowServices services;
    services.messages = &m_messages;
    services.spooler = &m_spooler;
    services.programFolder = m_folder.string();
    m_window = std::make_unique<MainWindow>(services);
    EXPECT_TRUE(m_window->controls().IsChecked("选择框_乘"));
    EXPECT_FALSE(m_window->controls().IsChecked("选择框_每步整数"));
    EXPECT_FALSE(m_window->controls().IsChecked("选择框_题目不重复"));
}

TEST_F(MainWindowTest, EnterDoesNothingAndEscapeClosesFromEveryKindOfControl) {
    m_window->show();
    auto* generate = find<QPushButton>("按钮_出题");
    generate->setFocus();
    QTest::keyClick(generate, Qt::Key_Return);
    EXPECT_EQ(m_window->table().GetCellText(0, 1), "");

    // Half-way through typing 250: the file keeps exactly what the box shows.
    auto* limit = find<QLineEdit>("编辑框_数字范围");
    limit->setFocus();
    limit->selectAll();
    QTest::keyClicks(limit, QStringLiteral("25"));
    QTest::keyClick(limit, Qt::Key_Escape);
    EXPECT_FALSE(m_window->isVisible());
    const std::string saved = GbkToUtf8(readFile(m_folder / "data" / "config.abc"));
    EXPECT_NE(saved.find("\r\n编辑框_数字范围=25\r\n"), std::string::npos) << saved;

    for (const char* name : {"选择框_显示答案", "组合框_出题数量", "编辑框_自定义字号"}) {
        m_window->show();
        auto* widget = find<QWidget>(name);
        widget->setFocus();
        QTest::keyClick(widget, Qt::Key_Escape);
        EXPECT_FALSE(m_window->isVisible()) << name;
    }
}

TEST_F(MainWindowTest, StartUpMakesTheDataFolderAndListsThePrinters) {
    EXPECT_TRUE(fs::is_directory(m_folder / "data"));
    EXPECT_FALSE(fs::exists(m_folder / "data" / "config.abc"));
    EXPECT_EQ(m_window->controls().ItemCount("组合框_打印机"), 2);
    EXPECT_EQ(text("组合框_打印机"), "Lab");
    m_window->controls().SetCurrentIndex("组合框_打印机", 0);
    QTest::mouseClick(find<QPushButton>("按钮_默认打印机设置"), Qt::LeftButton);
    // The print system answers on its own thread, through the event loop.
    for (int wait = 0; wait < 500 && m_messages.shown.empty(); ++wait) QTest::qWait(10);
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].text, "默认打印机设置成功！");
}

TEST_F(MainWindowTest, FirstRunFileIsTheGoldenOneAndChoicesComeBack) {
    m_window->show();
    m_window->close();
    EXPECT_EQ(readFile(m_folder / "data" / "config.abc"),
              readFile(fs::path(SUANTIJI_TEST_DATA_DIR) / "settings" / "first_run.abc"));

    MainWindowServices services;
    services.messages = &m_messages;
    services.spooler = &m_spooler;
    services.programFolder = m_folder.string();
    m_window = std::make_unique<MainWindow>(services);
    m_window->controls().SetChecked("选择框_乘", true);
    m_window->controls().SetCurrentIndex("组合框_设置行高", 0);
    find<QLineEdit>("编辑框_数字范围")->setText(QStringLiteral("say \"20\"\r\nor so"));
    m_window.reset();  // destroyed without a close: still saved

    m_window = std::make_unique<MainWindow>(services);
    EXPECT_TRUE(m_window->controls().IsChecked("选择框_乘"));
    EXPECT_EQ(text("组合框_设置行高"), "30");
    EXPECT_EQ(text("编辑框_数字范围"), "say \"20\"\r\nor so");
    EXPECT_EQ(m_window->table().RowHeight(1), 34);  // a restored choice raises no event
    EXPECT_EQ(m_window->controls().ItemCount("组合框_打印机"), 2);  // printers are never stored
}

TEST_F(MainWindowTest, TabMovesFocusDownTheControls) {
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    auto* first = find<QComboBox>("组合框_n元运算");
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), find<QCheckBox>("选择框_加"));
}

// Scrolls to the end of the scroll area that holds the widget: true when the widget's last pixel
// is then in view.
bool reachable(QWidget* widget) {
    QScrollArea* area = nullptr;
    for (QWidget* up = widget->parentWidget(); up != nullptr && area == nullptr;
         up = up->parentWidget()) {
        area = qobject_cast<QScrollArea*>(up);
    }
    if (area == nullptr) return false;
    area->horizontalScrollBar()->setValue(area->horizontalScrollBar()->maximum());
    area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum());
    const QPoint last = widget->mapTo(area->viewport(), QPoint(widget->width(), widget->height()));
    return area->viewport()->rect().contains(last - QPoint(1, 1)) &&
           area->window()->rect().contains(area->geometry());
}

TEST_F(MainWindowTest, SmallScreensScrollWhatDoesNotFitAndLargeOnesShowTheDesign) {
    m_window->show();
    EXPECT_TRUE(m_window->screen()->availableGeometry().contains(m_window->frameGeometry()));
    for (const QRect& small : {QRect(0, 0, 1366, 768), QRect(0, 27, 1280, 693)}) {
        m_window->FitToScreen(small);
        QApplication::processEvents();
        EXPECT_TRUE(small.contains(m_window->frameGeometry())) << small.width();
        EXPECT_TRUE(reachable(m_window->tableWidget())) << small.width();
        EXPECT_TRUE(reachable(find<QPushButton>("按钮_出题预览"))) << small.width();
    }
    m_window->FitToScreen(QRect(0, 0, 1600, 1000));
    QApplication::processEvents();
    EXPECT_EQ(m_window->size(), QSize(MainWindow::kWidth, MainWindow::kHeight));
    EXPECT_EQ(m_window->tableWidget()->mapTo(m_window.get(), QPoint()), QPoint(368, 0));
    EXPECT_EQ(find<QTabWidget>("高级选择夹1")->mapTo(m_window.get(), QPoint()), QPoint(8, 8));
    for (const QScrollBar* bar : m_window->findChildren<QScrollBar*>()) {
        EXPECT_FALSE(bar->isVisible());
    }
}

}  // namespace
}  // namespace suantiji
