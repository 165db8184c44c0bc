#include "output/table_model.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "tests/output/table_test_support.h"

namespace suantiji {
namespace {

TEST(TableModel, CellsOutsideTheTableReportFalseMinusOneAndEmptyText) {
    TableModel model;
    int changes = 0;
    model.SetChangeListener([&changes](TableModel::Change) { ++changes; });
    for (auto [row, column] : {std::pair{-1, 0}, {21, 0}, {0, 13}, {INT_MIN, INT_MAX}}) {
        EXPECT_FALSE(model.SetCellText(row, column, "x")) << row << "," << column;
        EXPECT_EQ(model.GetCellText(row, column), "");
    }
    EXPECT_FALSE(model.SetRowHeight(21, 10));
    EXPECT_FALSE(model.SetRowHeight(3, -1));
    EXPECT_FALSE(model.SetColumnWidth(13, 10));
    EXPECT_EQ(model.RowHeight(21), -1);
    EXPECT_EQ(model.ColumnWidth(-1), -1);
    EXPECT_EQ(changes, 0);
    // Row 20 exists; 0 is a valid size.
    EXPECT_TRUE(model.SetCellText(20, 12, "末"));
    EXPECT_EQ(model.GetCellText(20, 12), "末");
    EXPECT_TRUE(model.SetRowHeight(20, 0));
    EXPECT_EQ(model.RowHeight(20), 0);
}

struct RangeCase {
    const char* name;
    CellRange range;
    CellRange touched;
};

constexpr CellRange kNone{1, 1, 0, 0};  // no cell

class RangeRule : public ::testing::TestWithParam<RangeCase> {};

TEST_P(RangeRule, ClipsTheLastCornerAndRefusesTheRest) {
    TableModel model;
    model.SetAlignment(GetParam().range, Alignment::Right);
    const CellRange& t = GetParam().touched;
    for (int row = 0; row < model.RowCount(); ++row) {
        for (int column = 0; column < model.ColumnCount(); ++column) {
            const bool inside = row >= t.firstRow && row <= t.lastRow && column >= t.firstColumn &&
                                column <= t.lastColumn;
            EXPECT_EQ(model.CellAt(row, column).format.alignment == Alignment::Right, inside)
                << row << "," << column;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    TableModel, RangeRule,
    ::testing::Values(RangeCase{"PastTheLastRowAndColumn", {1, 1, 25, 13}, {1, 1, 20, 12}},
                      RangeCase{"HugeLastCorner", {19, 11, INT_MAX, INT_MAX}, {19, 11, 20, 12}},
                      RangeCase{"SingleCell", {2, 3, 2, 3}, {2, 3, 2, 3}},
                      RangeCase{"FirstRowNegative", {-1, 0, 2, 2}, kNone},
                      RangeCase{"ReversedColumns", {0, 5, 2, 3}, kNone},
                      RangeCase{"FirstRowBelowTheTable", {21, 0, 25, 3}, kNone},
                      RangeCase{"FirstColumnPastTheTable", {1, 13, 2, 20}, kNone}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TableModel, StyleBitsSetAllFourAttributesAndCodesPickTheAlignment) {
    TableModel model;
    const CellRange cell{0, 0, 0, 0};
    const CellFormat& format = model.CellAt(0, 0).format;
    model.SetFontStyle(
        cell, FontStyle::Bold | FontStyle::Italic | FontStyle::Underline | FontStyle::StrikeOut);
    model.SetFontStyle(cell, static_cast<FontStyle>(16));  // outside 0..15: unchanged
    model.SetFontStyle(cell, static_cast<FontStyle>(-1));
    EXPECT_TRUE(format.italic && format.underline && format.strikeOut);
    model.SetFontStyle(cell, FontStyle::Bold);
    EXPECT_EQ(format.fontWeight, 700);
    EXPECT_FALSE(format.italic || format.underline || format.strikeOut);
    model.SetFontStyle(cell, FontStyle::Bold | FontStyle::StrikeOut);
    EXPECT_TRUE(format.fontWeight == 700 && format.strikeOut && !format.underline);
    model.SetFontStyle(cell);
    EXPECT_EQ(format.fontWeight, 400);

    for (auto [code, expected] : {std::pair{3, Alignment::Right},
                                  {0, Alignment::Left},
                                  {2, Alignment::Centre},
                                  {7, Alignment::Left}}) {
        model.SetAlignment(cell, static_cast<Alignment>(code));
        EXPECT_EQ(format.alignment, expected) << "code " << code;
    }
    model.SetCellMargin(cell, 0);
    model.SetCellMargin(cell, -3);
    EXPECT_EQ(format.margin, 0);
}

TEST(TableModel, FaceNamesAreCutToThirtyOneBytesOnACharacterBoundary) {
    TableModel model;
    std::string chinese;  // eleven three-byte characters: the eleventh would straddle byte 31
    for (int i = 0; i < 11; ++i) chinese += "宋";
    model.SetFontFace({0, 0, 0, 0}, chinese);
    EXPECT_EQ(model.CellAt(0, 0).format.fontFace, chinese.substr(0, 30));
    model.SetFontFace({0, 0, 0, 0}, "a" + chinese);
    EXPECT_EQ(model.CellAt(0, 0).format.fontFace, ("a" + chinese).substr(0, 31));
}

TEST(TableModel, MergeCellsNeedsSeveralCellsInsideTheTable) {
    TableModel model;
    model.MergeCells({0, 1, 0, 1});   // a single cell
    model.MergeCells({0, 7, 0, 13});  // not clipped: column 13 is outside
    model.MergeCells({0, 6, 0, 1});   // reversed
    EXPECT_TRUE(model.MergedRanges().empty());

    model.MergeCells({0, 1, 0, 6});
    model.MergeCells({0, 7, 0, 12});
    EXPECT_EQ(model.MergedRanges().size(), 2u);
    EXPECT_EQ(model.MergeAt(0, 4)->lastColumn, 6);
    EXPECT_FALSE(model.MergeAt(1, 4).has_value());
    // A cell belongs to one range only: an overlapping merge replaces the old ones.
    model.MergeCells({0, 5, 1, 8});
    EXPECT_EQ(model.MergedRanges().size(), 1u);
    EXPECT_FALSE(model.MergeAt(0, 1).has_value());
}

TEST(TableModel, PrintLayoutTakesWhichOneToSeven) {
    TableModel model;
    for (int which = 0; which <= 8; ++which) model.SetPrintLayout(which, which * 10);
    const PrintLayout& l = model.GetPrintLayout();
    const std::vector<int> values{l.leftMargin,   l.rightMargin,  l.topMargin, l.bottomMargin,
                                  l.headerHeight, l.footerHeight, l.gap};
    EXPECT_EQ(values, (std::vector{10, 20, 30, 40, 50, 60, 70}));
}

TEST(TableModel, ClearTableRestoresTheDesignValuesButKeepsTheCounts) {
    TableModel model;
    testing::LayOutSheet(model, 30);
    model.SetPrintLayout(1, 4);
    model.ClearTable();
    EXPECT_EQ(model.RowCount(), 21);
    EXPECT_EQ(model.ColumnCount(), 13);
    EXPECT_EQ(model.GetCellText(0, 1), "");
    EXPECT_EQ(model.RowHeight(0), 34);
    EXPECT_EQ(model.RowHeight(20), 34);
    EXPECT_EQ(model.ColumnWidth(1), 20);
    EXPECT_EQ(model.GridLineMode(), GridLines::None);
    EXPECT_TRUE(model.MergedRanges().empty());
    const CellFormat& format = model.CellAt(1, 1).format;
    EXPECT_TRUE(format.fontFace.empty() && format.fontHeight == 0 && format.fontWeight == 400);
    EXPECT_EQ(format.alignment, Alignment::Left);
    EXPECT_EQ(format.margin, CellFormat{}.margin);
    EXPECT_EQ(model.GetPrintLayout().leftMargin, 4);  // as the last print left it
}

}  // namespace
}  // namespace suantiji
