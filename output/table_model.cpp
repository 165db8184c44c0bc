#include "output/table_model.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "common/text.h"

namespace suantiji {

namespace {

constexpr std::size_t kMaxFaceBytes = 31;

// Cuts a UTF-8 face name to at most 31 bytes without splitting a character.
std::string cutFaceName(const std::string& face) {
    if (face.size() <= kMaxFaceBytes) return face;
    std::size_t end = kMaxFaceBytes;
    // Step back over continuation bytes so the cut lands on the start of a character.
    while (end > 0 && IsUtf8Continuation(face[end])) --end;
    return face.substr(0, end);
}

bool overlaps(const CellRange& a, const CellRange& b) {
    return a.firstRow <= b.lastRow && b.firstRow <= a.lastRow && a.firstColumn <= b.lastColumn &&
           b.firstColumn <= a.lastColumn;
}

}  // namespace

TableModel::TableModel() { ClearTable(); }

void TableModel::SetChangeListener(std::function<void(Change)> listener) {
    m_listener = std::move(listener);
}

void TableModel::changed(Change change) {
    if (m_listener) m_listener(change);
}

bool TableModel::isCell(int row, int column) const {
    return row >= 0 && row < m_rows && column >= 0 && column < m_columns;
}

std::size_t TableModel::index(int row, int column) const {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(m_columns) +
           static_cast<std::size_t>(column);
}

void TableModel::ClearTable() {
    // The counts survive; everything else returns to the design values. The control size and
    // the print layout belong to the window and the last print, not to the grid.
    m_cells.assign(static_cast<std::size_t>(m_rows) * static_cast<std::size_t>(m_columns), Cell{});
    m_rowHeights.assign(static_cast<std::size_t>(m_rows), kDefaultRowHeight);
    m_columnWidths.assign(static_cast<std::size_t>(m_columns), kDefaultColumnWidth);
    m_merges.clear();
    m_gridLineMode = GridLines::None;
    changed(Change::Content);
}

int TableModel::RowCount() const { return m_rows; }

int TableModel::ColumnCount() const { return m_columns; }

bool TableModel::SetCellText(int row, int column, const std::string& text) {
    if (!isCell(row, column)) return false;
    m_cells[index(row, column)].text = text;
    changed(Change::Content);
    return true;
}

std::string TableModel::GetCellText(int row, int column) const {
    if (!isCell(row, column)) return {};
    return m_cells[index(row, column)].text;
}

std::optional<CellRange> TableModel::ClipRange(const CellRange& range) const {
    CellRange clipped = range;
    clipped.lastRow = std::min(clipped.lastRow, m_rows - 1);
    clipped.lastColumn = std::min(clipped.lastColumn, m_columns - 1);
    if (clipped.firstRow < 0 || clipped.firstColumn < 0) return std::nullopt;
    if (clipped.lastRow < clipped.firstRow || clipped.lastColumn < clipped.firstColumn) {
        return std::nullopt;
    }
    if (!isCell(clipped.firstRow, clipped.firstColumn) ||
        !isCell(clipped.lastRow, clipped.lastColumn)) {
        return std::nullopt;
    }
    return clipped;
}

void TableModel::applyToRange(const CellRange& range,
                              const std::function<void(CellFormat&)>& edit) {
    const std::optional<CellRange> clipped = ClipRange(range);
    if (!clipped) return;
    for (int row = clipped->firstRow; row <= clipped->lastRow; ++row) {
        for (int column = clipped->firstColumn; column <= clipped->lastColumn; ++column) {
            edit(m_cells[index(row, column)].format);
        }
    }
    changed(Change::Content);
}

void TableModel::SetAlignment(const CellRange& range, Alignment alignment) {
    if (alignment != Alignment::Centre && alignment != Alignment::Right) {
        alignment = Alignment::Left;
    }
    applyToRange(range, [alignment](CellFormat& format) { format.alignment = alignment; });
}

void TableModel::SetCellMargin(const CellRange& range, int margin) {
    if (margin < 0) return;
    applyToRange(range, [margin](CellFormat& format) { format.margin = margin; });
}

void TableModel::SetFontFace(const CellRange& range, const std::string& face) {
    const std::string cut = cutFaceName(face);
    applyToRange(range, [&cut](CellFormat& format) { format.fontFace = cut; });
}

void TableModel::SetFontHeight(const CellRange& range, int height) {
    applyToRange(range, [height](CellFormat& format) { format.fontHeight = height; });
}

void TableModel::SetFontStyle(const CellRange& range, FontStyle style) {
    const int bits = static_cast<int>(style);
    if (bits < 0 || bits > 15) return;
    applyToRange(range, [bits](CellFormat& format) {
        format.fontWeight = (bits & 1) != 0 ? 700 : 400;
        format.italic = (bits & 2) != 0;
        format.underline = (bits & 4) != 0;
        format.strikeOut = (bits & 8) != 0;
    });
}

bool TableModel::SetRowHeight(int row, int height) {
    if (row < 0 || row >= m_rows || height < 0) return false;
    m_rowHeights[static_cast<std::size_t>(row)] = height;
    changed(Change::Content);
    return true;
}

bool TableModel::SetColumnWidth(int column, int width) {
    if (column < 0 || column >= m_columns || width < 0) return false;
    m_columnWidths[static_cast<std::size_t>(column)] = width;
    changed(Change::Content);
    return true;
}

int TableModel::RowHeight(int row) const {
    if (row < 0 || row >= m_rows) return -1;
    return m_rowHeights[static_cast<std::size_t>(row)];
}

int TableModel::ColumnWidth(int column) const {
    if (column < 0 || column >= m_columns) return -1;
    return m_columnWidths[static_cast<std::size_t>(column)];
}

void TableModel::MergeCells(const CellRange& range) {
    // Not clipped: the whole rectangle must be cells of the table, and more than one of them.
    if (range.firstRow > range.lastRow || range.firstColumn > range.lastColumn) return;
    if (!isCell(range.firstRow, range.firstColumn) || !isCell(range.lastRow, range.lastColumn)) {
        return;
    }
    if (range.firstRow == range.lastRow && range.firstColumn == range.lastColumn) return;
    // A cell belongs to one merged range at most, so a new range replaces the ones it overlaps.
    std::erase_if(m_merges, [&range](const CellRange& merge) { return overlaps(merge, range); });
    m_merges.push_back(range);
    changed(Change::Content);
}

void TableModel::SetGridLineMode(GridLines mode) {
    m_gridLineMode = std::clamp(mode, GridLines::None, GridLines::Both);
    changed(Change::Content);
}

GridLines TableModel::GridLineMode() const { return m_gridLineMode; }

void TableModel::SetControlSize(int width, int height) {
    m_controlWidth = std::max(width, 0);
    m_controlHeight = std::max(height, 0);
    changed(Change::Size);
}

int TableModel::ControlWidth() const { return m_controlWidth; }

int TableModel::ControlHeight() const { return m_controlHeight; }

void TableModel::SetPrintLayout(int which, int value) {
    switch (which) {
        case 1:
            m_printLayout.leftMargin = value;
            break;
        case 2:
            m_printLayout.rightMargin = value;
            break;
        case 3:
            m_printLayout.topMargin = value;
            break;
        case 4:
            m_printLayout.bottomMargin = value;
            break;
        case 5:
            m_printLayout.headerHeight = value;
            break;
        case 6:
            m_printLayout.footerHeight = value;
            break;
        case 7:
            m_printLayout.gap = value;
            break;
        default:
            return;
    }
}

const PrintLayout& TableModel::GetPrintLayout() const { return m_printLayout; }

const std::vector<int>& TableModel::RowHeights() const { return m_rowHeights; }

const std::vector<int>& TableModel::ColumnWidths() const { return m_columnWidths; }

const Cell& TableModel::CellAt(int row, int column) const {
    static const Cell empty;
    if (!isCell(row, column)) return empty;
    return m_cells[index(row, column)];
}

const std::vector<CellRange>& TableModel::MergedRanges() const { return m_merges; }

std::optional<CellRange> TableModel::MergeAt(int row, int column) const {
    for (const CellRange& merge : m_merges) {
        if (row >= merge.firstRow && row <= merge.lastRow && column >= merge.firstColumn &&
            column <= merge.lastColumn) {
            return merge;
        }
    }
    return std::nullopt;
}

}  // namespace suantiji
