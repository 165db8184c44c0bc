#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "output/page_layout.h"
#include "tests/output/table_test_support.h"

namespace suantiji {
namespace {

// Printable areas in device pixels: the CUPS-PDF queue's A4 landscape (0.6995 as high as wide),
// a full landscape A4 page (210 / 297) and a square.
struct Area {
    int width;
    int height;
};
constexpr Area kQueue{10000, 6995};
constexpr Area kA4{2970, 2100};
constexpr Area kSquare{100, 100};

const std::vector<int> kSheetColumns{5, 160, 160, 160, 160, 160, 80, 30, 30, 30, 30, 30, 5};
const std::vector<int> kEmptyColumns(13, 20);

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
    Area area;
    std::int64_t pageHeight;
    std::int64_t available;
    bool fitted;
    std::vector<PageRows> pages;
};

class PageRule : public ::testing::TestWithParam<PageCase> {};

TEST_P(PageRule, CutsPagesWhereTheRowsExceedTheAvailableHeight) {
    const PageCase& c = GetParam();
    const PagePlan plan = PlanPages(c.rows, c.columns, c.layout, c.area.width, c.area.height);
    EXPECT_EQ(plan.pageHeight, c.pageHeight);
    EXPECT_EQ(plan.availableHeight, c.available);
    EXPECT_EQ(plan.fittedToOnePage, c.fitted);
    EXPECT_EQ(plan.pages, c.pages);
}

constexpr std::int64_t kBig = 2 * std::int64_t{INT_MAX};

// clang-format off
INSTANTIATE_TEST_SUITE_P(TableLayout, PageRule, ::testing::Values(
    // A 20-row sheet (696 high) fits a landscape A4 page as it is.
    PageCase{"TwentyRowSheetOnA4", sheetRows(34, 19), kSheetColumns, {}, kA4, 735, 735, false, {{0, 19}}},
    // The 21-row sheet: 730 against A = 727 on the queue, shrunk onto one sheet; so are 36s.
    PageCase{"SheetJustOverTheQueuePage", sheetRows(34), kSheetColumns, {}, kQueue, 727, 727, true, {{0, 20}}},
    PageCase{"RowHeight36StillShrinks", sheetRows(36), kSheetColumns, {}, kQueue, 727, 727, true, {{0, 20}}},
    // 850 is more than a tenth over 727: paged by the rule, a sum of 730 breaks.
    PageCase{"RowHeight40GoesToASecondPage", sheetRows(40), kSheetColumns, {}, kQueue, 727, 727, false, {{0, 16}, {17, 20}}},
    // The empty 20-row table: W = 260, H = 184, five rows of 34 a page.
    PageCase{"EmptyTableOnA4", std::vector<int>(20, 34), kEmptyColumns, {}, kA4, 184, 184, false, {{0, 4}, {5, 9}, {10, 14}, {15, 19}}},
    PageCase{"SumEqualToAvailableFits", {50, 50, 50, 50}, {100}, {}, kSquare, 100, 100, false, {{0, 1}, {2, 3}}},
    // Margins widen W; gaps, header, footer and margins come off A.
    PageCase{"PrintLayoutCounts", std::vector<int>(7, 10), {60}, {20, 20, 5, 5, 10, 10, 5}, kSquare, 100, 60, false, {{0, 5}, {6, 6}}},
    // A row taller than A gets a page of its own, with no empty page before it.
    PageCase{"RowTallerThanThePage", {500, 10, 500}, {100}, {}, kSquare, 100, 100, false, {{0, 0}, {1, 1}, {2, 2}}},
    // Nothing to map onto paper: one blank sheet, not one per row.
    PageCase{"ZeroWidthTable", std::vector<int>(21, 34), std::vector<int>(13, 0), {}, kSquare, 0, 0, false, {{0, 20}}},
    PageCase{"HugeSizesDoNotOverflow", {INT_MAX, INT_MAX, INT_MAX}, {INT_MAX, INT_MAX}, {}, kSquare, kBig, kBig, false, {{0, 1}, {2, 2}}}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(TableLayout, CellBoxesSkipZeroWidthColumnsAndDrawMergesOnce) {
    TableModel model;
    testing::LayOutSheet(model);
    for (int column = 7; column <= 11; ++column) model.SetColumnWidth(column, 0);
    const std::vector<CellBox> header = CellBoxes(model, 0, 1);
    // Row 0: column 0, the merged question header, the merged answer title (now 5 wide).
    ASSERT_EQ(header.size(), 3u + 8);
    EXPECT_EQ(header[1].x, 5);
    EXPECT_EQ(header[1].width, 5 * 160 + 80);
    EXPECT_EQ(header[2].column, 7);
    EXPECT_EQ(header[2].width, 5);
    EXPECT_EQ(header[3].y, 50);
    for (const CellBox& box : header) EXPECT_FALSE(box.column > 7 && box.column <= 11);

    // A merged range cut by a page starts above it and is drawn once, with its top-left cell.
    model.MergeCells({2, 0, 5, 1});
    const std::vector<CellBox> boxes = CellBoxes(model, 4, 6);
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes[0].row, 2);
    EXPECT_EQ(boxes[0].y, -2 * 34);
    EXPECT_EQ(boxes[0].height, 4 * 34);
    EXPECT_EQ(boxes.size(), 1u + 6 + 6 + 8);
    EXPECT_TRUE(CellBoxes(model, 21, 30).empty());
}

}  // namespace
}  // namespace suantiji
