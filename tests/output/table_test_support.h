#pragma once

#include <string>

#include "output/table_model.h"

namespace suantiji::testing {

// Writes a sheet the way the worksheet layout does: header row 50 high, question rows of
// `rowHeight`, five question columns of 160 with answers, grid lines, right-aligned bold "黑体"
// of height 13 and the two merged header cells.
inline void LayOutSheet(TableModel& model, int rowHeight = TableModel::kDefaultRowHeight) {
    model.ClearTable();
    const int lastRow = model.RowCount() - 1;
    for (int row = 1; row <= lastRow; ++row) {
        for (int column = 1; column <= 5; ++column) {
            model.SetCellText(row, column, column % 2 == 0 ? "12+5×(3-2)=" : "96÷8-3=");
            model.SetCellText(row, column + 6, column % 2 == 0 ? "17" : "9");
        }
    }
    model.SetGridLineMode(GridLines::Both);
    model.SetAlignment({1, 1, 20, 5}, Alignment::Right);
    model.SetAlignment({1, 7, 20, 11}, Alignment::Centre);
    model.SetCellMargin({0, 0, 20, 13}, 0);
    model.SetFontFace({1, 1, 20, 5}, "黑体");
    model.SetFontHeight({1, 1, 20, 5}, 13);
    model.SetFontStyle({1, 1, 20, 5}, FontStyle::Bold);
    model.SetRowHeight(0, 50);
    for (int row = 1; row <= lastRow; ++row) model.SetRowHeight(row, rowHeight);
    const int widths[] = {5, 160, 160, 160, 160, 160, 80, 30, 30, 30, 30, 30, 5};
    for (int column = 0; column < 13; ++column) model.SetColumnWidth(column, widths[column]);
    model.MergeCells({0, 1, 0, 6});
    model.MergeCells({0, 7, 0, 12});
    model.SetAlignment({0, 1, 0, 6}, Alignment::Centre);
    model.SetAlignment({0, 7, 0, 12}, Alignment::Centre);
    model.SetCellText(0, 1,
                      "     题目数：100    姓名：                      年级：         班级："
                      "         用时：          得分：          日期：2026/12/7 星期一 09:05:03");
    model.SetCellText(0, 7, "参考答案");
    int height = 0;
    for (int row = 0; row <= lastRow; ++row) height += model.RowHeight(row);
    model.SetControlSize(1040 + 5, height + 5);
}

}  // namespace suantiji::testing
