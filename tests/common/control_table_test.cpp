#include "common/control_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "output/table_model.h"

namespace suantiji {
namespace {

// What a control's name says of it: "选择框_" a check box, "编辑框_" an edit box, "组合框_" a
// drop-down list, "按钮_" a button; decorations by kind and number.
bool nameFitsKind(std::string_view name, ControlKind kind) {
    auto starts = [name](std::string_view prefix) {
        return name.substr(0, prefix.size()) == prefix;
    };
    switch (kind) {
        case ControlKind::Check:
            return starts("选择框_");
        case ControlKind::Edit:
        case ControlKind::SpinEdit:
            return starts("编辑框_");
        case ControlKind::Combo:
            return starts("组合框_");
        case ControlKind::Button:
            return starts("按钮_");
        case ControlKind::Label:
            return starts("标签");
        case ControlKind::Group:
            return starts("分组框");
        default:
            return true;
    }
}

TEST(ControlTable, EveryControlOnceUnderAParentMadeBeforeIt) {
    std::set<std::string_view> made;
    std::vector<int> orders;
    for (const ControlDesign& design : ControlTable()) {
        SCOPED_TRACE(std::string(design.name));
        EXPECT_TRUE(nameFitsKind(design.name, design.kind));
        EXPECT_TRUE(design.parent.empty() || made.count(design.parent) == 1);
        EXPECT_TRUE(made.insert(design.name).second);
        EXPECT_EQ(FindControl(design.name), &design);
        orders.push_back(design.order);
        EXPECT_LT(design.selected, static_cast<int>(design.items.size()));
    }
    std::sort(orders.begin(), orders.end());
    for (std::size_t i = 0; i < orders.size(); ++i) EXPECT_EQ(orders[i], static_cast<int>(i));
    EXPECT_EQ(FindControl("选择框_不存在"), nullptr);

    const ControlDesign* sheet = FindControl(control::kSheet);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->width, TableModel::kDesignControlWidth);
    EXPECT_EQ(sheet->height, TableModel::kDesignControlHeight);
}

}  // namespace
}  // namespace suantiji
