#include "output/table_model.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "tests/output/table_test_support.h"

namespace suantiji {
namespace {

// Cells whose alignment a call left at Right, as "row,column" texts: shows which cells a range
// operation touched.
std::vector<std::string> rightAligned(const TableModel& model) {
    std::vector<std::string> cells;
    for (int row = 0; row < model.RowCount(); ++row) {
        for (int column = 0; column < model.ColumnCount(); ++column) {
            if (model.CellAt(row, column).format.alignment == Alignment::Right) {
                cells.push_back(std::to_string(row) + "," + std::to_string(column));
            }
        }
    }
    return cells;
}

std::vector<std::string> cellsOf(int firstRow, int firstColumn, int lastRow, int lastColumn) {
    std::vector<std::string> cells;
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = firstColumn; column <= lastColumn; ++column) {
            cells.push_back(std::to_string(row) + "," + std::to_string(column));
        }
    }
    return cells;
}

TEST(TableModel, StartsWithTheDesignValues) {
    TableModel model;
    EXPECT_EQ(model.RowCount(), 21);
    EXPECT_EQ(model.ColumnCount(), 13);
    EXPECT_EQ(model.RowHeight(0), 34);
    EXPECT_EQ(model.RowHeight(20), 34);
    EXPECT_EQ(model.ColumnWidth(12), 20);
    EXPECT_EQ(model.GridLineMode(), 0);
    EXPECT_EQ(model.ControlWidth(), 1045);
    EXPECT_EQ(model.ControlHeight(), 735);
    EXPECT_EQ(model.GetCellText(0, 1), "");
    const CellFormat& format = model.CellAt(20, 12).format;
    EXPECT_EQ(format.fontFace, "");
    EXPECT_EQ(format.fontHeight, 0);
    EXPECT_EQ(format.fontWeight, 400);
    EXPECT_EQ(format.alignment, Alignment::Left);
}

TEST(TableModel, CellsOutsideTheTableReportFalseMinusOneAndEmptyText) {
    TableModel model;
    int changes = 0;
    model.SetChangeListener([&changes](TableModel::Change) { ++changes; });
    for (auto [row, column] : {std::pair{-1, 0}, {21, 0}, {0, 13}, {0, -1}, {INT_MIN, INT_MAX}}) {
        EXPECT_FALSE(model.SetCellText(row, column, "x")) << row << "," << column;
        EXPECT_EQ(model.GetCellText(row, column), "");
        EXPECT_EQ(model.CellAt(row, column).text, "");
    }
    EXPECT_FALSE(model.SetRowHeight(21, 10));
    EXPECT_FALSE(model.SetRowHeight(-1, 10));
    EXPECT_FALSE(model.SetColumnWidth(13, 10));
    EXPECT_EQ(model.RowHeight(21), -1);
    EXPECT_EQ(model.RowHeight(-1), -1);
    EXPECT_EQ(model.ColumnWidth(13), -1);
    EXPECT_EQ(changes, 0);

    EXPECT_TRUE(model.SetCellText(20, 12, "末"));
    EXPECT_EQ(model.GetCellText(20, 12), "末");
    EXPECT_EQ(changes, 1);
}

TEST(TableModel, RowHeightsAndColumnWidthsStoreAnyNonNegativeValue) {
    TableModel model;
    EXPECT_TRUE(model.SetRowHeight(20, 0));
    EXPECT_EQ(model.RowHeight(20), 0);
    EXPECT_TRUE(model.SetColumnWidth(7, 0));
    EXPECT_EQ(model.ColumnWidth(7), 0);
    EXPECT_FALSE(model.SetRowHeight(3, -1));
    EXPECT_FALSE(model.SetColumnWidth(3, -5));
    EXPECT_EQ(model.RowHeight(3), 34);
    EXPECT_EQ(model.ColumnWidth(3), 20);
    EXPECT_TRUE(model.SetRowHeight(4, INT_MAX));
    EXPECT_EQ(model.RowHeight(4), INT_MAX);
}

struct RangeCase {
    const char* name;
    CellRange range;
    std::vector<std::string> touched;
};

class RangeRule : public ::testing::TestWithParam<RangeCase> {};

TEST_P(RangeRule, ClipsTheLastCornerAndRefusesTheRest) {
    TableModel model;
    int changes = 0;
    model.SetChangeListener([&changes](TableModel::Change) { ++changes; });
    model.SetAlignment(GetParam().range, 3);
    EXPECT_EQ(rightAligned(model), GetParam().touched);
    EXPECT_EQ(changes, GetParam().touched.empty() ? 0 : 1);  // one repaint per call
}

INSTANTIATE_TEST_SUITE_P(
    TableModel, RangeRule,
    ::testing::Values(RangeCase{"QuestionBlock", {1, 1, 20, 5}, cellsOf(1, 1, 20, 5)},
                      RangeCase{"PastTheLastRowAndColumn", {0, 0, 25, 13}, cellsOf(0, 0, 20, 12)},
                      RangeCase{
                          "HugeLastCorner", {19, 11, INT_MAX, INT_MAX}, cellsOf(19, 11, 20, 12)},
                      RangeCase{"SingleCell", {2, 3, 2, 3}, cellsOf(2, 3, 2, 3)},
                      RangeCase{"FirstRowNegative", {-1, 0, 2, 2}, {}},
                      RangeCase{"FirstColumnNegative", {0, -1, 2, 2}, {}},
                      RangeCase{"ReversedRows", {3, 0, 2, 2}, {}},
                      RangeCase{"ReversedColumns", {0, 5, 2, 3}, {}},
                      RangeCase{"FirstRowBelowTheTable", {21, 0, 25, 3}, {}},
                      RangeCase{"FirstColumnPastTheTable", {1, 13, 2, 20}, {}},
                      RangeCase{"AllMinimum", {INT_MIN, INT_MIN, INT_MIN, INT_MIN}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TableModel, AlignmentCodesOtherThanTwoAndThreeAlignLeft) {
    TableModel model;
    const CellRange cell{1, 1, 1, 1};
    const std::pair<int, Alignment> cases[] = {
        {3, Alignment::Right}, {0, Alignment::Left},  {2, Alignment::Centre}, {7, Alignment::Left},
        {3, Alignment::Right}, {-2, Alignment::Left}, {1, Alignment::Left}};
    for (auto [code, expected] : cases) {
        model.SetAlignment(cell, code);
        EXPECT_EQ(model.CellAt(1, 1).format.alignment, expected) << "code " << code;
    }
}

struct StyleCase {
    int bits;
    int weight;
    bool italic;
    bool underline;
    bool strikeOut;
};

class FontStyle : public ::testing::TestWithParam<StyleCase> {};

TEST_P(FontStyle, SetsAllFourAttributesOrNothing) {
    TableModel model;
    model.SetFontStyle({0, 0, 0, 0}, 15);  // everything on, to see what a style clears
    model.SetFontStyle({0, 0, 0, 0}, GetParam().bits);
    const CellFormat& format = model.CellAt(0, 0).format;
    EXPECT_EQ(format.fontWeight, GetParam().weight);
    EXPECT_EQ(format.italic, GetParam().italic);
    EXPECT_EQ(format.underline, GetParam().underline);
    EXPECT_EQ(format.strikeOut, GetParam().strikeOut);
}

INSTANTIATE_TEST_SUITE_P(
    TableModel, FontStyle,
    ::testing::Values(StyleCase{0, 400, false, false, false},
                      StyleCase{1, 700, false, false, false}, StyleCase{9, 700, false, false, true},
                      StyleCase{6, 400, true, true, false}, StyleCase{15, 700, true, true, true},
                      // outside 0..15: left as they were (all on)
                      StyleCase{16, 700, true, true, true}, StyleCase{-1, 700, true, true, true}));

TEST(TableModel, MarginsIgnoreNegativeValues) {
    TableModel model;
    model.SetCellMargin({0, 0, 20, 13}, 0);
    EXPECT_EQ(model.CellAt(20, 12).format.margin, 0);
    model.SetCellMargin({0, 0, 20, 13}, -3);
    EXPECT_EQ(model.CellAt(20, 12).format.margin, 0);
    model.SetCellMargin({5, 5, 5, 5}, 7);
    EXPECT_EQ(model.CellAt(5, 5).format.margin, 7);
}

TEST(TableModel, FaceNamesAreCutToThirtyOneBytesOnACharacterBoundary) {
    TableModel model;
    model.SetFontFace({0, 0, 0, 0}, "黑体");
    EXPECT_EQ(model.CellAt(0, 0).format.fontFace, "黑体");
    model.SetFontFace({0, 0, 0, 0}, std::string(40, 'a'));
    EXPECT_EQ(model.CellAt(0, 0).format.fontFace, std::string(31, 'a'));
    // Eleven three-byte characters: the eleventh would straddle byte 31.
    std::string chinese;
    for (int i = 0; i < 11; ++i) chinese += "宋";
    model.SetFontFace({0, 0, 0, 0}, chinese);
    EXPECT_EQ(model.CellAt(0, 0).format.fontFace, chinese.substr(0, 30));
    model.SetFontFace({0, 0, 0, 0}, "a" + chinese);  // cut falls exactly after a character
    EXPECT_EQ(model.CellAt(0, 0).format.fontFace, ("a" + chinese).substr(0, 31));
}

TEST(TableModel, MergeCellsNeedsARangeInsideTheTable) {
    TableModel model;
    model.MergeCells({0, 1, 0, 1});   // a single cell
    model.MergeCells({0, 7, 0, 13});  // not clipped: column 13 is outside
    model.MergeCells({0, 6, 0, 1});   // reversed
    model.MergeCells({-1, 0, 0, 3});  // first row outside
    EXPECT_TRUE(model.MergedRanges().empty());

    model.MergeCells({0, 1, 0, 6});
    model.MergeCells({0, 7, 0, 12});
    ASSERT_EQ(model.MergedRanges().size(), 2u);
    const auto merge = model.MergeAt(0, 4);
    ASSERT_TRUE(merge.has_value());
    EXPECT_EQ(merge->firstColumn, 1);
    EXPECT_EQ(merge->lastColumn, 6);
    EXPECT_FALSE(model.MergeAt(1, 4).has_value());
    EXPECT_FALSE(model.MergeAt(0, 0).has_value());

    // A cell belongs to one range only: an overlapping merge replaces the old ones.
    model.MergeCells({0, 5, 1, 8});
    ASSERT_EQ(model.MergedRanges().size(), 1u);
    EXPECT_EQ(model.MergeAt(0, 1), std::nullopt);
    EXPECT_EQ(model.MergeAt(1, 8)->firstColumn, 5);
}

TEST(TableModel, GridLineModeIsClampedToZeroToThree) {
    TableModel model;
    for (auto [mode, expected] : {std::pair{5, 3}, {-3, 0}, {2, 2}, {INT_MAX, 3}, {1, 1}}) {
        model.SetGridLineMode(mode);
        EXPECT_EQ(model.GridLineMode(), expected) << mode;
    }
}

TEST(TableModel, PrintLayoutTakesWhichOneToSeven) {
    TableModel model;
    for (int which = 1; which <= 7; ++which) model.SetPrintLayout(which, which * 10);
    model.SetPrintLayout(0, 99);
    model.SetPrintLayout(8, 99);
    const PrintLayout& layout = model.GetPrintLayout();
    EXPECT_EQ(layout.leftMargin, 10);
    EXPECT_EQ(layout.rightMargin, 20);
    EXPECT_EQ(layout.topMargin, 30);
    EXPECT_EQ(layout.bottomMargin, 40);
    EXPECT_EQ(layout.headerHeight, 50);
    EXPECT_EQ(layout.footerHeight, 60);
    EXPECT_EQ(layout.gap, 70);
}

TEST(TableModel, ClearTableRestoresTheDesignValuesButKeepsTheCounts) {
    TableModel model;
    testing::LayOutSheet(model, 30);
    model.SetPrintLayout(1, 4);
    ASSERT_NE(model.GetCellText(0, 1), "");

    model.ClearTable();
    EXPECT_EQ(model.RowCount(), 21);
    EXPECT_EQ(model.ColumnCount(), 13);
    EXPECT_EQ(model.GetCellText(0, 1), "");
    EXPECT_EQ(model.GetCellText(20, 5), "");
    EXPECT_EQ(model.RowHeight(0), 34);
    EXPECT_EQ(model.RowHeight(20), 34);
    EXPECT_EQ(model.ColumnWidth(1), 20);
    EXPECT_EQ(model.GridLineMode(), 0);
    EXPECT_TRUE(model.MergedRanges().empty());
    const CellFormat& format = model.CellAt(1, 1).format;
    EXPECT_EQ(format.fontFace, "");
    EXPECT_EQ(format.fontHeight, 0);
    EXPECT_EQ(format.fontWeight, 400);
    EXPECT_EQ(format.alignment, Alignment::Left);
    EXPECT_EQ(format.margin, CellFormat{}.margin);
    // The print layout stays as the last print set it.
    EXPECT_EQ(model.GetPrintLayout().leftMargin, 4);
}

TEST(TableModel, ALaidOutSheetReadsItsHeaderFromTheMergedCell) {
    TableModel model;
    testing::LayOutSheet(model);
    EXPECT_EQ(model.GetCellText(0, 1).rfind("     题目数：100", 0), 0u);
    EXPECT_EQ(model.GetCellText(0, 7), "参考答案");
    EXPECT_EQ(model.ControlWidth(), 1045);
    EXPECT_EQ(model.ControlHeight(), 735);
}

TEST(TableModel, AnnouncesSizeChangesApartFromContent) {
    TableModel model;
    std::vector<TableModel::Change> changes;
    model.SetChangeListener([&changes](TableModel::Change change) { changes.push_back(change); });
    model.SetControlSize(300, -4);
    model.SetCellText(1, 1, "1+1=");
    model.SetRowHeight(1, 20);
    EXPECT_EQ(changes, (std::vector{TableModel::Change::Size, TableModel::Change::Content,
                                    TableModel::Change::Content}));
    EXPECT_EQ(model.ControlWidth(), 300);
    EXPECT_EQ(model.ControlHeight(), 0);
}

}  // namespace
}  // namespace suantiji
