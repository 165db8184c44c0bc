#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <fstream>

#include "common/message_box.h"
#include "generation/random.h"
#include "output/printer_spooler.h"
#include "output/table_model.h"
#include "output/table_widget.h"
#include "tests/support/recording_message_box.h"
#include "ui/spin_edit.h"

namespace suantiji {
namespace {

namespace fs = std::filesystem;

class FixedSpooler : public PrinterSpooler {
public:
    std::vector<std::string> ListPrinters() override { return {"Office", "Lab"}; }
    std::string DefaultPrinterName() override { return "Lab"; }
    bool ChangeDefaultPrinter(const std::string& name) override { return name == "Office"; }
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
    std::string text(const char* name) { return m_window->ContentText(name); }

    fs::path m_folder;
    RecordingMessageBox m_messages;
    FixedSpooler m_spooler;
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(MainWindowTest, FirstRunShowsTheDesignDefaults) {
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("禾木算题机v1.3    BY：岚禾坊"));
    EXPECT_EQ(m_window->minimumSize(), m_window->maximumSize());
    EXPECT_FALSE(m_window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(m_window->windowIcon().isNull());
    for (const char* name : {"选择框_加", "选择框_减"}) EXPECT_TRUE(m_window->IsChecked(name));
    for (const char* name :
         {"选择框_乘", "选择框_除", "选择框_显示答案", "选择框_括号题型混合出题",
          "选择框_括号题型单一出题", "选择框_显示表格线", "选择框_左对齐", "选择框_自定义字号"}) {
        EXPECT_FALSE(m_window->IsChecked(name)) << name;
    }
    EXPECT_EQ(text("组合框_n元运算"), "4");
    EXPECT_EQ(text("编辑框_数字范围"), "100");
    EXPECT_EQ(text("编辑框_答案范围"), "1000");
    EXPECT_EQ(text("组合框_出题数量"), "100");
    EXPECT_EQ(text("组合框_设置行高"), "34");
    EXPECT_EQ(text("编辑框_自定义字号"), "12");
    EXPECT_EQ(m_window->ItemCount("组合框_出题数量"), 10);
    EXPECT_EQ(m_window->ItemText("组合框_出题数量", 0), "10");
    EXPECT_EQ(m_window->ItemCount("组合框_n元运算"), 8);
    EXPECT_EQ(m_window->ItemCount("组合框_设置行高"), 7);
}

TEST_F(MainWindowTest, ControlsSitWhereTheDesignPutsThem) {
    auto* tabs = find<QTabWidget>("高级选择夹1");
    EXPECT_EQ(tabs->geometry(), QRect(8, 8, 352, 688));
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("四则运算"));
    EXPECT_EQ(tabs->font().pixelSize(), 12);
    EXPECT_EQ(tabs->font().family(), QStringLiteral("SimSun"));
    auto* group = find<QGroupBox>("分组框3");
    EXPECT_EQ(group->parentWidget(), tabs);
    EXPECT_EQ(group->geometry(), QRect(8, 160, 336, 56));
    EXPECT_EQ(group->title(), QStringLiteral("数字范围设置"));
    auto* edit = find<QLineEdit>("编辑框_答案范围");
    EXPECT_EQ(edit->parentWidget(), group);
    EXPECT_EQ(edit->geometry(), QRect(200, 24, 40, 20));
    EXPECT_EQ(edit->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    EXPECT_EQ(find<QPushButton>("按钮_出题")->text(), QStringLiteral("出题预览"));
    EXPECT_EQ(find<QPushButton>("按钮_出题预览")->text(), QStringLiteral("打印"));
    EXPECT_EQ(find<QComboBox>("组合框_出题数量")->geometry(), QRect(60, 27, 48, 20));
    auto* table = find<TableWidget>("高级表格1");
    EXPECT_EQ(table->geometry(), QRect(368, 0, 1045, 735));
    EXPECT_LE(table->geometry().bottom(), m_window->height());
}

TEST_F(MainWindowTest, ControlsOfAKindComeInTheWindowsOrder) {
    EXPECT_EQ(m_window->ControlsOfKind("选择框"),
              (std::vector<std::string>{"选择框_自定义字号", "选择框_左对齐", "选择框_显示表格线",
                                        "选择框_括号题型单一出题", "选择框_括号题型混合出题",
                                        "选择框_显示答案", "选择框_除", "选择框_乘", "选择框_减",
                                        "选择框_加"}));
    EXPECT_EQ(
        m_window->ControlsOfKind("编辑框"),
        (std::vector<std::string>{"编辑框_自定义字号", "编辑框_答案范围", "编辑框_数字范围"}));
    EXPECT_EQ(m_window->ControlsOfKind("组合框"),
              (std::vector<std::string>{"组合框_设置行高", "组合框_打印机", "组合框_出题数量",
                                        "组合框_n元运算"}));
    EXPECT_TRUE(m_window->ControlsOfKind("单选框").empty());
    EXPECT_TRUE(m_window->ControlsOfKind("按钮").empty());
}

TEST_F(MainWindowTest, ComboBoxAccessorsClampAndReadOutsideTheList) {
    const std::string name = "组合框_设置行高";
    m_window->SetCurrentIndex(name, 99);
    EXPECT_EQ(m_window->CurrentIndex(name), 6);
    EXPECT_EQ(text("组合框_设置行高"), "36");
    m_window->SetCurrentIndex(name, -7);
    EXPECT_EQ(m_window->CurrentIndex(name), -1);
    EXPECT_EQ(text("组合框_设置行高"), "");
    EXPECT_EQ(m_window->ItemText(name, 7), "");
    EXPECT_EQ(m_window->ItemValue(name, -1), -1);
    EXPECT_EQ(m_window->ItemValue(name, 0), 0);
    m_window->SetCurrentIndex(name, 2);
    m_window->SetContentText(name, "anything");  // a drop-down list reads its selection
    EXPECT_EQ(text("组合框_设置行高"), "32");
    EXPECT_EQ(m_window->AppendItem(name, "40", -3), 7);
    EXPECT_EQ(m_window->ItemValue(name, 7), -3);
    EXPECT_EQ(m_window->CurrentIndex(name), 2);
    m_window->ClearItems(name);
    EXPECT_EQ(m_window->ItemCount(name), 0);
    EXPECT_EQ(m_window->CurrentIndex(name), -1);
    EXPECT_EQ(m_window->ItemValue("no such control", 0), -1);
    EXPECT_EQ(m_window->AppendItem("no such control", "x"), -1);
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
    m_window->SetCurrentIndex("组合框_设置行高", 0);  // from code: no event
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
    m_window->SetChecked("选择框_显示答案", true);
    m_window->SetChecked("选择框_乘", true);
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
    EXPECT_EQ(m_window->table().GetCellText(0, 1), header);
    EXPECT_EQ(m_window->table().GetCellText(1, 1), first);
}

TEST_F(MainWindowTest, EnterDoesNothingAndEscapeCloses) {
    m_window->show();
    auto* generate = find<QPushButton>("按钮_出题");
    generate->setFocus();
    QTest::keyClick(generate, Qt::Key_Return);
    EXPECT_EQ(m_window->table().GetCellText(0, 1), "");
    auto* limit = find<QLineEdit>("编辑框_数字范围");
    limit->setFocus();
    QTest::keyClicks(limit, QStringLiteral("5"));
    QTest::keyClick(limit, Qt::Key_Escape);
    EXPECT_FALSE(m_window->isVisible());
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST_F(MainWindowTest, StartUpMakesTheDataFolderAndListsThePrinters) {
    EXPECT_TRUE(fs::is_directory(m_folder / "data"));
    EXPECT_FALSE(fs::exists(m_folder / "data" / "config.abc"));
    EXPECT_EQ(m_window->ItemCount("组合框_打印机"), 2);
    EXPECT_EQ(text("组合框_打印机"), "Lab");
    m_window->SetCurrentIndex("组合框_打印机", 0);
    QTest::mouseClick(find<QPushButton>("按钮_默认打印机设置"), Qt::LeftButton);
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
    m_window->SetChecked("选择框_乘", true);
    m_window->SetCurrentIndex("组合框_设置行高", 0);
    find<QLineEdit>("编辑框_数字范围")->setText(QStringLiteral("say \"20\"\r\nor so"));
    m_window.reset();  // destroyed without a close: still saved

    m_window = std::make_unique<MainWindow>(services);
    EXPECT_TRUE(m_window->IsChecked("选择框_乘"));
    EXPECT_EQ(text("组合框_设置行高"), "30");
    EXPECT_EQ(text("编辑框_数字范围"), "say \"20\"\r\nor so");
    EXPECT_EQ(m_window->table().RowHeight(1), 34);       // a restored choice raises no event
    EXPECT_EQ(m_window->ItemCount("组合框_打印机"), 2);  // printers are never stored
}

TEST_F(MainWindowTest, TabMovesFocusDownTheControls) {
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    auto* first = find<QComboBox>("组合框_n元运算");
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), find<QCheckBox>("选择框_加"));
}

}  // namespace
}  // namespace suantiji
