#include "common/control_table.h"

#include <array>

#include "common/control_host.h"

namespace suantiji {

namespace {

using namespace control;
using K = ControlKind;

constexpr std::array<std::string_view, 8> kOperandCounts{"2", "3", "4", "5", "6", "7", "8", "9"};
constexpr std::array<std::string_view, 10> kQuestionCounts{"10", "20", "30", "40", "50",
                                                           "60", "70", "80", "90", "100"};
constexpr std::array<std::string_view, 7> kRowHeights{"30", "31", "32", "33", "34", "35", "36"};

// The sheet table's design size is the table model's (1045 x 735).
constexpr std::array<ControlDesign, 38> kControls{{
    {kTabs, K::Tab, {}, 8, 8, 352, 688, "四则运算", 36},
    {kSheet, K::Grid, {}, 368, 0, 1045, 735, "", 37},
    {kDifficultyGroup, K::Group, kTabs, 8, 32, 336, 56, "难度设置", 33},
    {kOperandCount, K::Combo, kDifficultyGroup, 16, 24, 40, 20, "", 35, false, kOperandCounts, 2},
    {kOperandCountLabel, K::Label, kDifficultyGroup, 64, 24, 40, 24, "元运算", 34},
    {kOperatorGroup, K::Group, kTabs, 8, 96, 336, 56, "运算符设置", 28},
    {kAdd, K::Check, kOperatorGroup, 16, 24, 40, 24, "+", 32, true},
    {kSubtract, K::Check, kOperatorGroup, 56, 24, 40, 24, "-", 31, true},
    {kMultiply, K::Check, kOperatorGroup, 96, 24, 40, 24, "×", 30},
    {kDivide, K::Check, kOperatorGroup, 136, 24, 40, 24, "÷", 29},
    {kRangeGroup, K::Group, kTabs, 8, 160, 336, 56, "数字范围设置", 23},
    {kNumberLimitLabel, K::Label, kRangeGroup, 8, 24, 168, 24, "数字范围         以内", 27},
    {kNumberLimit, K::Edit, kRangeGroup, 64, 24, 40, 20, "100", 26},
    {kAnswerLimitLabel, K::Label, kRangeGroup, 144, 24, 136, 24, "答案范围         以内", 25},
    {kAnswerLimit, K::Edit, kRangeGroup, 200, 24, 40, 20, "1000", 24},
    {kOutputGroup, K::Group, kTabs, 8, 224, 336, 56, "输出设置", 19},
    {kQuestionCountLabel, K::Label, kOutputGroup, 8, 24, 120, 24, "出题数量         题", 22},
    {kQuestionCount, K::Combo, kOutputGroup, 60, 27, 48, 20, "", 21, false, kQuestionCounts, 9},
    {kShowAnswers, K::Check, kOutputGroup, 144, 24, 72, 24, "显示答案", 20},
    {kExtrasGroup, K::Group, kTabs, 8, 288, 336, 152, "附加设置", 10},
    {kMixedBrackets, K::Check, kExtrasGroup, 8, 24, 104, 24, "包含()混合出题", 14},
    {kBracketsOnly, K::Check, kExtrasGroup, 8, 48, 104, 24, "包含()单一出题", 13},
    {kWholeSteps, K::Check, kExtrasGroup, 8, 72, 144, 24, "每步不出负数和小数", 12},
    {kNoRepeats, K::Check, kExtrasGroup, 160, 72, 96, 24, "题目不重复", 11},
    {kStyleGroup, K::Group, kTabs, 8, 448, 336, 112, "表格样式设置", 6},
    {kRowHeightLabel, K::Label, kStyleGroup, 8, 24, 48, 24, "设置行高", 4},
    {kRowHeight, K::Combo, kStyleGroup, 64, 24, 48, 20, "", 5, false, kRowHeights, 4},
    {kGridLines, K::Check, kStyleGroup, 128, 24, 128, 24, "显示表格线", 3},
    {kLeftAligned, K::Check, kStyleGroup, 216, 24, 64, 24, "左对齐", 2},
    {kCustomFontSize, K::Check, kStyleGroup, 8, 56, 96, 24, "自定义字号", 1},
    {kFontSize, K::SpinEdit, kStyleGroup, 88, 56, 40, 20, "12", 0},
    {kPrinters, K::Combo, kTabs, 8, 576, 200, 20, "", 15},
    {kSetDefaultPrinter, K::Button, kTabs, 8, 600, 200, 32, "设置默认打印机", 16},
    {kGenerate, K::Button, kTabs, 8, 640, 80, 32, "出题预览", 9},
    {kSavePicture, K::Button, kTabs, 96, 640, 80, 32, "保存为图片", 18},
    {kPrint, K::Button, kTabs, 184, 640, 80, 32, "打印", 17},
    {kSaveDialog, K::NonVisual, {}, 0, 0, 0, 0, "", 7},
    {kPrinter, K::NonVisual, {}, 0, 0, 0, 0, "", 8},
}};

}  // namespace

std::span<const ControlDesign> ControlTable() { return kControls; }

const ControlDesign* FindControl(std::string_view name) {
    for (const ControlDesign& design : kControls) {
        if (design.name == name) return &design;
    }
    return nullptr;
}

std::string_view StoredKindName(ControlKind kind) {
    switch (kind) {
        case ControlKind::Check:
            return kKindCheckBox;
        case ControlKind::Edit:
        case ControlKind::SpinEdit:
            return kKindEditBox;
        case ControlKind::Combo:
            return kKindComboBox;
        default:
            return {};
    }
}

}  // namespace suantiji
