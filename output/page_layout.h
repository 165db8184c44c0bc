#pragma once

#include <cstdint>
#include <vector>

#include "output/table_model.h"

namespace suantiji {

// One cell as drawn: a single cell or a merged range under its top-left cell, in table pixels
// relative to the top-left corner of the first drawn row. A merged range that starts above the
// first drawn row has a negative y.
struct CellBox {
    int row = 0;
    int column = 0;
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
};

// The cells that rows [firstRow, lastRow] show, row by row. Cells of zero width or height take
// no space and are left out; a merged range appears once, at its first row in the span.
std::vector<CellBox> CellBoxes(const TableModel& model, int firstRow, int lastRow);

// Rows [firstRow, lastRow] printed on one sheet of paper.
struct PageRows {
    int firstRow = 0;
    int lastRow = -1;

    bool operator==(const PageRows&) const = default;
};

// How the table goes onto paper. Widths and heights are table pixels unless named device.
struct PagePlan {
    std::int64_t pageWidth = 0;        // W: margins plus every column
    std::int64_t pageHeight = 0;       // H: W in the printable area's proportions, rounded
    std::int64_t availableHeight = 0;  // A: H less margins, header, footer and gaps
    double scale = 0;                  // device pixels per table pixel
    double offsetX = 0;                // device x of the page's left edge: centres a shrunk table
    std::int64_t rowsLeft = 0;         // where the first column starts on the page: the left margin
    std::int64_t rowsTop = 0;      // where a page's first row starts: top margin, header and gap
    bool fittedToOnePage = false;  // rows a little taller than A, shrunk onto one sheet
    std::vector<PageRows> pages;
};

// The printed page layout: pages are cut where the running sum of row heights would exceed A.
// When every row together overflows A by no more than a tenth of it, the whole table is shrunk
// onto one sheet instead (keeping its proportions, centred across the page), so that a sheet
// that only just misses the paper does not spill its last row onto a second one.
PagePlan PlanPages(const std::vector<int>& rowHeights, const std::vector<int>& columnWidths,
                   const PrintLayout& layout, int deviceWidth, int deviceHeight);

PagePlan PlanPages(const TableModel& model, int deviceWidth, int deviceHeight);

}  // namespace suantiji
