#include "output/page_layout.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace suantiji {

PagePlan PlanPages(const std::vector<int>& rowHeights, const std::vector<int>& columnWidths,
                   const PrintLayout& layout, int deviceWidth, int deviceHeight) {
    PagePlan plan;
    const int lastRow = static_cast<int>(rowHeights.size()) - 1;
    plan.rowsLeft = layout.leftMargin;
    plan.rowsTop = std::int64_t{layout.topMargin} + layout.headerHeight + layout.gap;

    // 64 bits throughout: heights and widths are whatever the caller stored.
    plan.pageWidth = std::int64_t{layout.leftMargin} + layout.rightMargin;
    for (int width : columnWidths) plan.pageWidth += width;
    if (plan.pageWidth <= 0 || deviceWidth <= 0 || deviceHeight <= 0) {
        // Nothing can be mapped onto the paper: one blank sheet rather than one per row.
        plan.pages.push_back({0, lastRow});
        return plan;
    }
    plan.pageHeight = std::llround(static_cast<double>(plan.pageWidth) * deviceHeight /
                                   static_cast<double>(deviceWidth));
    plan.availableHeight = plan.pageHeight - 2 * std::int64_t{layout.gap} - layout.headerHeight -
                           layout.footerHeight - layout.topMargin - layout.bottomMargin;
    plan.scale = static_cast<double>(deviceWidth) / static_cast<double>(plan.pageWidth);

    std::int64_t total = 0;
    for (int height : rowHeights) total += height;
    const std::int64_t available = plan.availableHeight;
    if (available > 0 && total > available && (total - available) * 10 <= available) {
        plan.fittedToOnePage = true;
        plan.scale *= static_cast<double>(available) / static_cast<double>(total);
        plan.offsetX = (deviceWidth - static_cast<double>(plan.pageWidth) * plan.scale) / 2;
        plan.pages.push_back({0, lastRow});
        return plan;
    }

    PageRows page{0, -1};
    std::int64_t sum = 0;
    for (int row = 0; row <= lastRow; ++row) {
        const int height = rowHeights[static_cast<std::size_t>(row)];
        // A row taller than A starts its own page but never leaves an empty one behind.
        if (sum + height > available && page.lastRow >= page.firstRow) {
            plan.pages.push_back(page);
            page = {row, row - 1};
            sum = 0;
        }
        sum += height;
        page.lastRow = row;
    }
    plan.pages.push_back(page);
    return plan;
}

std::vector<CellBox> CellBoxes(const TableModel& model, int firstRow, int lastRow) {
    std::vector<CellBox> boxes;
    const std::vector<int>& heights = model.RowHeights();
    const std::vector<int>& widths = model.ColumnWidths();
    firstRow = std::max(firstRow, 0);
    lastRow = std::min(lastRow, model.RowCount() - 1);
    if (firstRow > lastRow) return boxes;

    std::vector<std::int64_t> left(widths.size() + 1, 0);
    for (std::size_t c = 0; c < widths.size(); ++c) left[c + 1] = left[c] + widths[c];
    // Row tops relative to firstRow, for every row, so merged ranges above the span can be placed.
    std::vector<std::int64_t> top(heights.size() + 1, 0);
    for (std::size_t r = 0; r < heights.size(); ++r) top[r + 1] = top[r] + heights[r];
    const std::int64_t origin = top[static_cast<std::size_t>(firstRow)];

    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = 0; column < model.ColumnCount(); ++column) {
            CellRange span{row, column, row, column};
            if (const std::optional<CellRange> merge = model.MergeAt(row, column)) {
                if (column != merge->firstColumn || row != std::max(merge->firstRow, firstRow)) {
                    continue;
                }
                span = *merge;
            }
            const auto r0 = static_cast<std::size_t>(span.firstRow);
            const auto r1 = static_cast<std::size_t>(span.lastRow) + 1;
            const auto c0 = static_cast<std::size_t>(span.firstColumn);
            const auto c1 = static_cast<std::size_t>(span.lastColumn) + 1;
            CellBox box{span.firstRow,    span.firstColumn,    left[c0],
                        top[r0] - origin, left[c1] - left[c0], top[r1] - top[r0]};
            if (box.width <= 0 || box.height <= 0) continue;
            boxes.push_back(box);
        }
    }
    return boxes;
}

PagePlan PlanPages(const TableModel& model, int deviceWidth, int deviceHeight) {
    return PlanPages(model.RowHeights(), model.ColumnWidths(), model.GetPrintLayout(), deviceWidth,
                     deviceHeight);
}

}  // namespace suantiji
