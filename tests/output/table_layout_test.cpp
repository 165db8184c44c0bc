#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "output/page_layout.h"
#include "tests/output/table_test_support.h"

namespace suantiji {
namespace {

// Printable areas in device pixels: the CUPS-PDF queue's A4 landscape (0.6995 as high as wide)
// and a full landscape A4 page (210 / 297).
constexpr int kQueueWidth = 10000;
constexpr int kQueueHeight = 6995;
constexpr int kA4Width = 2970;
constexpr int kA4Height = 2100;

const std::vector<int> kSheetWidths{5, 160, 160, 160, 160, 160, 80, 30, 30, 30, 30, 30, 5};

std::vector<int> sheetRows(int questionRowHeight, int questionRows = 20) {
    std::vector<int> rows{50};
    rows.insert(rows.end(), questionRows, questionRowHeight);
    return rows;
}

struct PageCase {
    const char* name;
    std::vector<int> rows;
    std::vector<int> columns;
    PrintLayout layout;
    int deviceWidth;
    int deviceHeight;
    std::int64_t pageHeight;
    std::int64_t available;
    bool fitted;
    std::vector<PageRows> pages;
};

class PageRule : public ::testing::TestWithParam<PageCase> {};

TEST_P(PageRule, CutsPagesWhereTheRowsExceedTheAvailableHeight) {
    const PageCase& c = GetParam();
    const PagePlan plan = PlanPages(c.rows, c.columns, c.layout, c.deviceWidth, c.deviceHeight);
    EXPECT_EQ(plan.pageHeight, c.pageHeight);
    EXPECT_EQ(plan.availableHeight, c.available);
    EXPECT_EQ(plan.fittedToOnePage, c.fitted);
    EXPECT_EQ(plan.pages, c.pages);
}

const std::vector<int> kEmptyColumns(13, 20);

INSTANTIATE_TEST_SUITE_P(
    TableLayout, PageRule,
    ::testing::Values(
        // The 20-row sheet (696 high) fits a landscape A4 page whole.
        PageCase{"TwentyRowSheetOnA4",
                 sheetRows(34, 19),
                 kSheetWidths,
                 {},
                 kA4Width,
                 kA4Height,
                 735,
                 735,
                 false,
                 {{0, 19}}},
        // 21 rows of the laid-out sheet: 730 against A = 727 on the queue, shrunk onto one sheet.
        PageCase{"SheetJustOverTheQueuePage",
                 sheetRows(34),
                 kSheetWidths,
                 {},
                 kQueueWidth,
                 kQueueHeight,
                 727,
                 727,
                 true,
                 {{0, 20}}},
        PageCase{"RowHeight36StillShrinks",
                 sheetRows(36),
                 kSheetWidths,
                 {},
                 kQueueWidth,
                 kQueueHeight,
                 727,
                 727,
                 true,
                 {{0, 20}}},
        PageCase{"RowHeight30FitsAsItIs",
                 sheetRows(30),
                 kSheetWidths,
                 {},
                 kQueueWidth,
                 kQueueHeight,
                 727,
                 727,
                 false,
                 {{0, 20}}},
        // 850 is more than a tenth over 727: paged as the rule says, a sum of 730 breaks.
        PageCase{"RowHeight40GoesToASecondPage",
                 sheetRows(40),
                 kSheetWidths,
                 {},
                 kQueueWidth,
                 kQueueHeight,
                 727,
                 727,
                 false,
                 {{0, 16}, {17, 20}}},
        // The spec-sized empty table: W = 260, H = 184, five rows of 34 a page.
        PageCase{"EmptyTwentyRowTableOnA4",
                 std::vector<int>(20, 34),
                 kEmptyColumns,
                 {},
                 kA4Width,
                 kA4Height,
                 184,
                 184,
                 false,
                 {{0, 4}, {5, 9}, {10, 14}, {15, 19}}},
        PageCase{"EmptyTableOnTheQueue",
                 std::vector<int>(21, 34),
                 kEmptyColumns,
                 {},
                 kQueueWidth,
                 kQueueHeight,
                 182,
                 182,
                 false,
                 {{0, 4}, {5, 9}, {10, 14}, {15, 19}, {20, 20}}},
        // A sum equal to A still fits.
        PageCase{"SumEqualToAvailableFits",
                 {50, 50, 50, 50},
                 {100},
                 {},
                 100,
                 100,
                 100,
                 100,
                 false,
                 {{0, 1}, {2, 3}}},
        // Margins widen W; gaps, header, footer and margins come off A.
        PageCase{"PrintLayoutCounts",
                 {10, 10, 10, 10, 10},
                 {60},
                 {20, 20, 5, 5, 10, 10, 5},
                 100,
                 100,
                 100,
                 60,
                 false,
                 {{0, 4}}},
        PageCase{"PrintLayoutCountsAndBreaks",
                 {10, 10, 10, 10, 10, 10, 10},
                 {60},
                 {20, 20, 5, 5, 10, 10, 5},
                 100,
                 100,
                 100,
                 60,
                 false,
                 {{0, 5}, {6, 6}}},
        // A row taller than A gets a page of its own, with no empty page before it.
        PageCase{"RowTallerThanThePage",
                 {500, 10, 500},
                 {100},
                 {},
                 100,
                 100,
                 100,
                 100,
                 false,
                 {{0, 0}, {1, 1}, {2, 2}}},
        PageCase{"ZeroHeightRowsFitAnywhere",
                 {0, 100, 0, 0},
                 {100},
                 {},
                 100,
                 100,
                 100,
                 100,
                 false,
                 {{0, 3}}},
        // Nothing to map onto paper: one blank sheet, not one per row.
        PageCase{"ZeroWidthTable",
                 std::vector<int>(21, 34),
                 std::vector<int>(13, 0),
                 {},
                 100,
                 100,
                 0,
                 0,
                 false,
                 {{0, 20}}},
        PageCase{"NoPrintableArea",
                 std::vector<int>(21, 34),
                 kEmptyColumns,
                 {},
                 0,
                 0,
                 0,
                 0,
                 false,
                 {{0, 20}}},
        // Stored extremes do not overflow.
        PageCase{"HugeRows",
                 {INT_MAX, INT_MAX, INT_MAX},
                 {INT_MAX, INT_MAX},
                 {},
                 100,
                 100,
                 2 * std::int64_t{INT_MAX},
                 2 * std::int64_t{INT_MAX},
                 false,
                 {{0, 1}, {2, 2}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TableLayout, ShrunkSheetSpansThePageHeightAndIsCentredAcross) {
    const PagePlan plan = PlanPages(sheetRows(34), kSheetWidths, {}, kQueueWidth, kQueueHeight);
    ASSERT_TRUE(plan.fittedToOnePage);
    const double width = 1040 * plan.scale;
    const double height = 730 * plan.scale;
    EXPECT_LE(height, kQueueHeight);
    EXPECT_NEAR(height, 727 * (kQueueWidth / 1040.0), 1e-6);
    EXPECT_NEAR(plan.offsetX, (kQueueWidth - width) / 2, 1e-6);
    EXPECT_GT(plan.offsetX, 0);

    const PagePlan plain = PlanPages(sheetRows(30), kSheetWidths, {}, kQueueWidth, kQueueHeight);
    EXPECT_DOUBLE_EQ(plain.scale, kQueueWidth / 1040.0);  // W spans the printable width
    EXPECT_EQ(plain.offsetX, 0);
}

TEST(TableLayout, CellBoxesSkipZeroWidthColumnsAndDrawMergesOnce) {
    TableModel model;
    testing::LayOutSheet(model);
    for (int column = 7; column <= 11; ++column) model.SetColumnWidth(column, 0);

    const std::vector<CellBox> header = CellBoxes(model, 0, 0);
    // Column 0, the merged question header, the merged answer title (now 5 wide).
    ASSERT_EQ(header.size(), 3u);
    EXPECT_EQ(header[1].column, 1);
    EXPECT_EQ(header[1].x, 5);
    EXPECT_EQ(header[1].width, 5 * 160 + 80);
    EXPECT_EQ(header[1].height, 50);
    EXPECT_EQ(header[2].column, 7);
    EXPECT_EQ(header[2].x, 5 + 5 * 160 + 80);
    EXPECT_EQ(header[2].width, 5);

    const std::vector<CellBox> rows = CellBoxes(model, 3, 4);
    ASSERT_EQ(rows.size(), 2u * 8);  // 13 columns less the five of width 0
    EXPECT_EQ(rows[0].y, 0);
    EXPECT_EQ(rows[8].y, 34);
    for (const CellBox& box : rows) EXPECT_FALSE(box.column >= 7 && box.column <= 11);
}

TEST(TableLayout, MergedRangeCutByAPageStartsAboveIt) {
    TableModel model;
    model.MergeCells({2, 0, 5, 1});
    const std::vector<CellBox> boxes = CellBoxes(model, 4, 6);
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes[0].row, 2);
    EXPECT_EQ(boxes[0].column, 0);
    EXPECT_EQ(boxes[0].y, -2 * 34);
    EXPECT_EQ(boxes[0].height, 4 * 34);
    EXPECT_EQ(boxes[0].width, 40);
    // Each covered cell is left out of rows 4 and 5; row 6 is whole again.
    EXPECT_EQ(boxes.size(), 1u + 11 + 11 + 13);
    EXPECT_TRUE(CellBoxes(model, 21, 30).empty());
    EXPECT_TRUE(CellBoxes(model, 5, 4).empty());
}

}  // namespace
}  // namespace suantiji
