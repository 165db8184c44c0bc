#pragma once

#include <span>
#include <string_view>

namespace suantiji {

// The window's controls by name. Every part of the program (the window, the sheet layout, the
// settings) names a control through these, so a misspelt name fails to compile. The names
// are data: they key the settings file.
namespace control {
inline constexpr std::string_view kTabs = "高级选择夹1";
inline constexpr std::string_view kSheet = "高级表格1";
inline constexpr std::string_view kDifficultyGroup = "分组框1";
inline constexpr std::string_view kOperandCount = "组合框_n元运算";
inline constexpr std::string_view kOperandCountLabel = "标签4";
inline constexpr std::string_view kOperatorGroup = "分组框2";
inline constexpr std::string_view kAdd = "选择框_加";
inline constexpr std::string_view kSubtract = "选择框_减";
inline constexpr std::string_view kMultiply = "选择框_乘";
inline constexpr std::string_view kDivide = "选择框_除";
inline constexpr std::string_view kRangeGroup = "分组框3";
inline constexpr std::string_view kNumberLimitLabel = "标签1";
inline constexpr std::string_view kNumberLimit = "编辑框_数字范围";
inline constexpr std::string_view kAnswerLimitLabel = "标签2";
inline constexpr std::string_view kAnswerLimit = "编辑框_答案范围";
inline constexpr std::string_view kOutputGroup = "分组框4";
inline constexpr std::string_view kQuestionCountLabel = "标签3";
inline constexpr std::string_view kQuestionCount = "组合框_出题数量";
inline constexpr std::string_view kShowAnswers = "选择框_显示答案";
inline constexpr std::string_view kExtrasGroup = "分组框5";
inline constexpr std::string_view kMixedBrackets = "选择框_括号题型混合出题";
inline constexpr std::string_view kBracketsOnly = "选择框_括号题型单一出题";
inline constexpr std::string_view kWholeSteps = "选择框_每步整数";
inline constexpr std::string_view kNoRepeats = "选择框_题目不重复";
inline constexpr std::string_view kStyleGroup = "分组框6";
inline constexpr std::string_view kRowHeightLabel = "标签5";
inline constexpr std::string_view kRowHeight = "组合框_设置行高";
inline constexpr std::string_view kGridLines = "选择框_显示表格线";
inline constexpr std::string_view kLeftAligned = "选择框_左对齐";
inline constexpr std::string_view kCustomFontSize = "选择框_自定义字号";
inline constexpr std::string_view kFontSize = "编辑框_自定义字号";
inline constexpr std::string_view kPrinters = "组合框_打印机";
inline constexpr std::string_view kSetDefaultPrinter = "按钮_默认打印机设置";
inline constexpr std::string_view kGenerate = "按钮_出题";
inline constexpr std::string_view kSavePicture = "按钮_保存为图片";
inline constexpr std::string_view kPrint = "按钮_出题预览";
inline constexpr std::string_view kSaveDialog = "通用对话框1";
inline constexpr std::string_view kPrinter = "打印机1";
}  // namespace control

enum class ControlKind { Tab, Grid, Group, Label, Check, Edit, SpinEdit, Combo, Button, NonVisual };

// One control of the window as designed.
struct ControlDesign {
    std::string_view name;
    ControlKind kind;
    std::string_view parent;  // empty: the window
    int left;                 // relative to the parent; to the tab control for its controls
    int top;
    int width;
    int height;
    std::string_view caption;  // an edit box's default text
    int order;                 // its place in the window's control order
    bool checked = false;
    std::span<const std::string_view> items = {};
    int selected = -1;
};

// Every control, in the order the window makes them: a parent before its children, and the
// controls that take the keyboard focus in the order it moves, top to bottom.
std::span<const ControlDesign> ControlTable();

// The control of that name, or null.
const ControlDesign* FindControl(std::string_view name);

// The settings file's section for a kind of control, or empty for a kind that is not stored.
std::string_view StoredKindName(ControlKind kind);

}  // namespace suantiji
