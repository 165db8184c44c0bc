#include "settings/control_states.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "settings/combo_record.h"
#include "settings/gbk_text.h"
#include "tests/settings/fake_control_host.h"
#include "tests/settings/temp_folder.h"

namespace suantiji {
namespace {

using Items = std::vector<std::string>;

Items itemTexts(const FakeControlHost& host, const std::string& name) {
    Items texts;
    for (const auto& item : host.Items(name)) texts.push_back(item.text);
    return texts;
}

// A settings file with the given UTF-8 lines, stored as GBK with CR LF.
std::string settingsFile(const TempFolder& folder, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    const std::string path = SettingsFilePath(folder.path());
    std::filesystem::create_directories(folder.path() + "/data");
    WriteBytes(path, Utf8ToGbk(text));
    return path;
}

TEST(SettingsPaths, FormFilesInTheDataFolder) {
    TempFolder folder;
    EXPECT_EQ(SettingsFilePath("/opt/p"), "/opt/p/data/config.abc");
    const std::string base = folder.file("a/b");
    EXPECT_EQ(DefaultSettingsPath(base), base + "/data/setsoft.ini");
    EXPECT_TRUE(std::filesystem::is_directory(base + "/data"));
}

TEST(SaveControlStates, FirstRunWritesTheGoldenFile) {
    TempFolder folder;
    std::filesystem::create_directories(folder.path() + "/data");
    FakeControlHost host = FakeControlHost::MainWindowDefaults();
    const std::string path = SettingsFilePath(folder.path());
    SaveControlStates(host, path);
    EXPECT_EQ(ReadBytes(path), ReadBytes(TestDataFile("settings/first_run.abc")));

    // Saving the same states again changes nothing.
    SaveControlStates(host, path);
    EXPECT_EQ(ReadBytes(path), ReadBytes(TestDataFile("settings/first_run.abc")));
}

TEST(SaveControlStates, HandEditedFileKeepsEverythingElseByteForByte) {
    TempFolder folder;
    std::filesystem::create_directories(folder.path() + "/data");
    const std::string path = SettingsFilePath(folder.path());
    std::filesystem::copy_file(TestDataFile("settings/hand_edited.abc"), path);

    FakeControlHost host = FakeControlHost::MainWindowDefaults();
    RestoreControlStates(host, path);
    EXPECT_FALSE(host.IsChecked("选择框_加"));  // '假' with blanks, in its own section only
    EXPECT_TRUE(host.IsChecked("选择框_减"));
    EXPECT_EQ(host.ContentText("编辑框_数字范围"), "50");
    EXPECT_EQ(itemTexts(host, "组合框_n元运算"), (Items{"1", "2"}));
    EXPECT_EQ(host.CurrentIndex("组合框_n元运算"), 1);

    SaveControlStates(host, path);
    EXPECT_EQ(ReadBytes(path), ReadBytes(TestDataFile("settings/hand_edited_saved.abc")));
}

TEST(SaveControlStates, StatesComeBackInTheNextRun) {
    TempFolder folder;
    std::filesystem::create_directories(folder.path() + "/data");
    const std::string path = SettingsFilePath(folder.path());
    FakeControlHost first = FakeControlHost::MainWindowDefaults();
    first.SetChecked("选择框_加", false);
    first.SetChecked("选择框_显示答案", true);
    first.SetContentText("编辑框_数字范围", "a\"b\r\nc #引号");
    first.SetContentText("编辑框_答案范围", "");
    first.SetCurrentIndex("组合框_设置行高", 0);
    first.AppendItem("组合框_n元运算", "say \"hi\"", -5);
    first.SetCurrentIndex("组合框_n元运算", 99);
    first.AppendItem("组合框_打印机", "SheetPDF-1");
    first.SetCurrentIndex("组合框_打印机", 0);
    SaveControlStates(first, path);

    const ProfileFile saved = ProfileFile::Load(path);
    EXPECT_EQ(saved.ReadValue("编辑框", "编辑框_数字范围"), "a#引号b><br><c #引号");
    EXPECT_EQ(saved.ReadValue("组合框", "组合框_打印机"), "");

    FakeControlHost next = FakeControlHost::MainWindowDefaults();
    RestoreControlStates(next, path);
    EXPECT_FALSE(next.IsChecked("选择框_加"));
    EXPECT_TRUE(next.IsChecked("选择框_显示答案"));
    // The escape text itself cannot survive: it comes back as a quotation mark.
    EXPECT_EQ(next.ContentText("编辑框_数字范围"), "a\"b\r\nc \"");
    EXPECT_EQ(next.ContentText("编辑框_答案范围"), "1000");  // empty is not restored
    EXPECT_EQ(next.ContentText("组合框_设置行高"), "30");
    EXPECT_EQ(next.ContentText("组合框_n元运算"), "say \"hi\"");
    EXPECT_EQ(next.ItemValue("组合框_n元运算", 8), -5);
    EXPECT_EQ(next.ItemCount("组合框_打印机"), 0);
    EXPECT_EQ(next.ChangeCount("组合框_打印机"), 0);
}

TEST(RestoreControlStates, MissingOrUnusableFileLeavesDefaults) {
    TempFolder folder;
    FakeControlHost host = FakeControlHost::MainWindowDefaults();
    RestoreControlStates(host, SettingsFilePath(folder.path()));
    std::filesystem::create_directories(SettingsFilePath(folder.path()));  // a folder, not a file
    RestoreControlStates(host, SettingsFilePath(folder.path()));
    SaveControlStates(host, SettingsFilePath(folder.path()));
    EXPECT_TRUE(std::filesystem::is_directory(SettingsFilePath(folder.path())));
    for (const char* name : {"选择框_加", "编辑框_数字范围", "组合框_出题数量"}) {
        EXPECT_EQ(host.ChangeCount(name), 0) << name;
    }
}

struct CheckCase {
    const char* value;
    std::optional<bool> checked;  // nullopt: left as it was
};

class RestoreCheckBoxTest : public testing::TestWithParam<CheckCase> {};

TEST_P(RestoreCheckBoxTest, AnythingButFalseChecks) {
    TempFolder folder;
    const std::string path =
        settingsFile(folder, {"[选择框]", std::string("选择框_加=") + GetParam().value, "[单选框]",
                              std::string("单选框_甲=") + GetParam().value});
    FakeControlHost host;
    host.AddCheckBox("选择框_加", true);
    host.AddRadioButton("单选框_甲", false);
    RestoreCheckBoxStates(host, path);
    RestoreRadioButtonStates(host, path);
    EXPECT_EQ(host.IsChecked("选择框_加"), GetParam().checked.value_or(true));
    EXPECT_EQ(host.IsChecked("单选框_甲"), GetParam().checked.value_or(false));
}

INSTANTIATE_TEST_SUITE_P(Values, RestoreCheckBoxTest,
                         testing::Values(CheckCase{"真", true}, CheckCase{"假", false},
                                         CheckCase{" \"假\" ", false}, CheckCase{"0", true},
                                         CheckCase{"假的", true}, CheckCase{"", std::nullopt},
                                         CheckCase{"''", std::nullopt}));

struct ComboCase {
    const char* record;
    std::optional<Items> items;  // nullopt: control left as it was
    int selection;
    const char* content;
};

class RestoreComboBoxTest : public testing::TestWithParam<ComboCase> {};

TEST_P(RestoreComboBoxTest, RebuildsListFromRecord) {
    TempFolder folder;
    const std::string path =
        settingsFile(folder, {"[组合框]", std::string("组合框_甲=") + GetParam().record});
    FakeControlHost host;
    host.AddComboBox("组合框_甲", {"x", "y"}, 1);
    RestoreComboBoxStates(host, path);
    if (!GetParam().items) {
        EXPECT_EQ(host.ChangeCount("组合框_甲"), 0);
        return;
    }
    EXPECT_EQ(itemTexts(host, "组合框_甲"), *GetParam().items);
    EXPECT_EQ(host.CurrentIndex("组合框_甲"), GetParam().selection);
    EXPECT_EQ(host.StoredContentText("组合框_甲"), GetParam().content);
}

INSTANTIATE_TEST_SUITE_P(
    Records, RestoreComboBoxTest,
    testing::Values(ComboCase{"a<|>1<||>b<|>2<||>0<|>a", Items{"a", "b"}, 0, "a"},
                    ComboCase{"a<|>1<||>b<|>2<||>99<|>b", Items{"a", "b"}, 1, "b"},
                    ComboCase{"a<|>1<||>-7<|>", Items{"a"}, -1, ""},
                    ComboCase{"-1<|>", Items{}, -1, ""}, ComboCase{"5<|>kept", Items{}, -1, "kept"},
                    ComboCase{"<|><||><|>9<||>0<|>", Items{"", ""}, 0, ""},
                    ComboCase{"a<|>1<||>1.9<|>x<|>y", Items{"a"}, 0, "y"},
                    ComboCase{"１<|>0<||>２<|>0<||>１<|>２", Items{"１", "２"}, 1, "２"},
                    ComboCase{"#引号<|>0<||>0<|>#引号", Items{"\""}, 0, "\""},
                    ComboCase{"a<|>1<||>99999999999<|>a", Items{"a"}, 0, "a"},
                    // Records the program cannot have written leave the list alone.
                    ComboCase{"garbage", std::nullopt, 0, ""},
                    ComboCase{"a<|>1<||>b<||>0<|>a", std::nullopt, 0, ""},
                    ComboCase{"<||>", std::nullopt, 0, ""}, ComboCase{"", std::nullopt, 0, ""}));

TEST(ComboRecord, ValuesAndEmptyPieces) {
    const auto record = ParseComboRecord("a<|>x<||><|>-3<||>b<|>2147483648<||>1<|>c<||>");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->items, (std::vector<ComboItem>{{"a", 0}, {"", -3}, {"b", 2147483647}}));
    EXPECT_EQ(record->selection, 1);
    EXPECT_EQ(record->content, "c");
    EXPECT_EQ(FormatComboRecord({{{"30", 0}, {"31", 7}}, 1, "31"}), "30<|>0<||>31<|>7<||>1<|>31");
    EXPECT_EQ(FormatComboRecord({{}, -1, ""}), "-1<|>");
}

TEST(TextAroundSeparator, FirstAndLastOccurrence) {
    EXPECT_EQ(TextBeforeFirst("a<|>b<|>c", "<|>"), "a");
    EXPECT_EQ(TextAfterLast("a<|>b<|>c", "<|>"), "c");
    EXPECT_EQ(TextBeforeFirst("abc", "<|>"), "");
    EXPECT_EQ(TextAfterLast("abc", "<|>"), "");
    EXPECT_EQ(TextAfterLast("a<|>", "<|>"), "");
    EXPECT_EQ(TextBeforeFirst("中<|>文", "<|>"), "中");
}

TEST(SaveSteps, ExclusionListMatchesWholeNamesExactly) {
    TempFolder folder;
    const std::string path = folder.file("s.ini");
    FakeControlHost host;
    host.AddEditBox("甲", "1");
    host.AddEditBox("乙", "2");
    host.AddEditBox("甲乙", "3");
    host.AddEditBox("a", "4");
    SaveEditBoxStates(host, path, "丙|甲||A");
    EXPECT_EQ(GbkToUtf8(ReadBytes(path)), "[编辑框]\r\n乙=2\r\n甲乙=3\r\na=4\r\n");
}

}  // namespace
}  // namespace suantiji
