#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace suantiji {

// An inclusive rectangle of cells, all counted from 0.
struct CellRange {
    int firstRow = 0;
    int firstColumn = 0;
    int lastRow = 0;
    int lastColumn = 0;
};

// The seven print-layout integers, numbered 1 to 7 in this order by SetPrintLayout.
struct PrintLayout {
    int leftMargin = 0;
    int rightMargin = 0;
    int topMargin = 0;
    int bottomMargin = 0;
    int headerHeight = 0;
    int footerHeight = 0;
    int gap = 0;
};

enum class Alignment { Left = 1, Centre = 2, Right = 3 };

// Which grid lines are drawn: horizontal ones between rows, vertical ones between columns.
enum class GridLines { None = 0, Horizontal = 1, Vertical = 2, Both = 3 };

// Style bits of SetFontStyle, combined with |; Plain is none of them.
enum class FontStyle { Plain = 0, Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };
constexpr FontStyle operator|(FontStyle a, FontStyle b) {
    return static_cast<FontStyle>(static_cast<int>(a) | static_cast<int>(b));
}

struct CellFormat {
    std::string fontFace;  // empty: the table's default font (the desktop's message-box font)
    int fontHeight = 0;    // character-cell height in pixels; 0: the default font's height
    int fontWeight = 400;  // 400 normal, 700 bold
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    Alignment alignment = Alignment::Left;
    int margin = 2;  // pixels kept free between the cell border and its content
};

struct Cell {
    std::string text;
    CellFormat format;
};

// The width in pixels that a text takes when drawn in a cell of a format. The table knows no
// fonts: whoever draws the cells measures their texts.
using TextWidth = std::function<int(const std::string& text, const CellFormat& format)>;

// The sheet table: a grid of cells with row heights, column widths, merges, grid lines and the
// control size. Sizes are screen pixels. Operations outside the table do nothing and report
// false, -1 or the empty text. Every change is announced to the listener, which repaints.
class TableModel {
public:
    static constexpr int kDesignRows = 21;  // rows 0 to 20: a header row and 20 question rows
    static constexpr int kDesignColumns = 13;
    static constexpr int kDefaultRowHeight = 34;
    static constexpr int kDefaultColumnWidth = 20;
    static constexpr int kDesignControlWidth = 1045;
    static constexpr int kDesignControlHeight = 735;
    static constexpr int kGridLineRgb = 0xC0C0C0;

    enum class Change { Content, Size };

    TableModel();

    // Called after every change; the widget repaints (Content) or resizes (Size).
    void SetChangeListener(std::function<void(Change)> listener);

    void ClearTable();
    int RowCount() const;
    int ColumnCount() const;
    bool SetCellText(int row, int column, const std::string& text);
    std::string GetCellText(int row, int column) const;
    // Centre and Right as named; any other value aligns left.
    void SetAlignment(const CellRange& range, Alignment alignment);
    void SetCellMargin(const CellRange& range, int margin);
    void SetFontFace(const CellRange& range, const std::string& face);
    void SetFontHeight(const CellRange& range, int height);
    // Sets all four attributes; a value outside the bits' combinations changes nothing.
    void SetFontStyle(const CellRange& range, FontStyle style = FontStyle::Plain);
    bool SetRowHeight(int row, int height);
    bool SetColumnWidth(int column, int width);
    int RowHeight(int row) const;
    int ColumnWidth(int column) const;
    void MergeCells(const CellRange& range);
    // A value below None acts as None, one above Both as Both.
    void SetGridLineMode(GridLines mode);
    GridLines GridLineMode() const;
    void SetControlSize(int width, int height);
    int ControlWidth() const;
    int ControlHeight() const;
    void SetPrintLayout(int which, int value);
    const PrintLayout& GetPrintLayout() const;

    // The range rule: the last row and column clipped to the table; empty when nothing applies.
    std::optional<CellRange> ClipRange(const CellRange& range) const;
    const std::vector<int>& RowHeights() const;
    const std::vector<int>& ColumnWidths() const;

    // For painting: the cell at a valid (row, column); an empty default cell elsewhere.
    const Cell& CellAt(int row, int column) const;
    const std::vector<CellRange>& MergedRanges() const;
    // The merged range that covers a cell, if any.
    std::optional<CellRange> MergeAt(int row, int column) const;

private:
    void changed(Change change);
    bool isCell(int row, int column) const;
    std::size_t index(int row, int column) const;
    void applyToRange(const CellRange& range, const std::function<void(CellFormat&)>& edit);

    int m_rows = kDesignRows;
    int m_columns = kDesignColumns;
    std::vector<Cell> m_cells;
    std::vector<int> m_rowHeights;
    std::vector<int> m_columnWidths;
    std::vector<CellRange> m_merges;
    GridLines m_gridLineMode = GridLines::None;
    int m_controlWidth = kDesignControlWidth;
    int m_controlHeight = kDesignControlHeight;
    PrintLayout m_printLayout;
    std::function<void(Change)> m_listener;
};

}  // namespace suantiji
