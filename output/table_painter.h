#pragma once

#include <QFont>
#include <string>

#include "output/table_model.h"

class QPainter;

namespace suantiji {

// The table's default cell font: the desktop's message-box font, fixed to a pixel size so that
// it keeps its size on a printer's finer device pixels.
QFont DefaultCellFont();

// The font a cell format asks for. A positive height is the character-cell height (ascent plus
// descent), 0 the default font's height, a negative one an em size of its magnitude. Absurd
// heights are capped at 500 pixels so that painting never stalls on them.
QFont CellFont(const CellFormat& format, const QFont& defaultFont);

// The width of a text in a cell of the format, in table pixels, rounded up: the wider of its
// width on screen and its unhinted width, which paper and PDF scale up.
int CellTextWidth(const std::string& text, const CellFormat& format);

// Paints rows [firstRow, lastRow] with the painter's origin at the top-left corner of firstRow:
// white cells, black text with each cell's font, alignment and margin, merged ranges as one
// cell, and the grid lines of the table's mode. Screen, picture and paper all use this.
void PaintTableRows(QPainter& painter, const TableModel& model, int firstRow, int lastRow,
                    const QFont& defaultFont);

}  // namespace suantiji
