#include "output/table_painter.h"

#include <QApplication>
#include <QColor>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <QTextLayout>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "output/page_layout.h"

namespace suantiji {

namespace {

constexpr int kMaxFontPixels = 500;
constexpr double kReferencePixels = 200;

QFont styledFont(QFont font, const CellFormat& format) {
    font.setWeight(format.fontWeight >= 700 ? QFont::Bold : QFont::Normal);
    font.setItalic(format.italic);
    font.setUnderline(format.underline);
    font.setStrikeOut(format.strikeOut);
    return font;
}

// Em size per pixel of character-cell height for the font's face and style.
double emPerCellHeight(const QFont& font) {
    QFont reference = font;
    reference.setPixelSize(static_cast<int>(kReferencePixels));
    const QFontMetricsF metrics(reference);
    const double cell = metrics.ascent() + metrics.descent();
    return cell > 0 ? kReferencePixels / cell : 1.0;
}

int cellHeightOf(const QFont& font) {
    const QFontMetricsF metrics(font);
    return static_cast<int>(std::lround(metrics.ascent() + metrics.descent()));
}

// Draws a cell's text on one line ("&" as itself), centred vertically and cut at the
// rectangle, as drawText does, but with every glyph starting on a whole device pixel: at
// fractional starts the one-pixel dots of a small ÷ fall between two pixels and fade to grey,
// and ÷ reads as +. (Full hinting would snap them too, but spaces this font's digits unevenly.)
void drawCellText(QPainter& painter, const QRectF& rect, Alignment alignment, QString text) {
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    QTextLayout layout(text, painter.font(), painter.device());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) line.setLineWidth(rect.width());
    layout.endLayout();
    if (!line.isValid()) return;

    QPointF origin(rect.left(), rect.top() + (rect.height() - line.height()) / 2);
    if (alignment == Alignment::Right) origin.rx() += rect.width() - line.horizontalAdvance();
    if (alignment == Alignment::Centre) {
        origin.rx() += (rect.width() - line.horizontalAdvance()) / 2;
    }
    const QTransform toDevice = painter.deviceTransform();
    const bool snap = toDevice.type() <= QTransform::TxScale && toDevice.m11() > 0;
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    for (QGlyphRun run : layout.glyphRuns()) {
        if (snap) {
            QList<QPointF> positions = run.positions();
            for (QPointF& position : positions) {
                const double x = toDevice.m11() * (origin.x() + position.x()) + toDevice.dx();
                position.setX((std::round(x) - toDevice.dx()) / toDevice.m11() - origin.x());
            }
            run.setPositions(positions);
        }
        painter.drawGlyphRun(origin, run);
    }
    painter.restore();
}

QRectF rectOf(const CellBox& box) {
    return {static_cast<double>(box.x), static_cast<double>(box.y), static_cast<double>(box.width),
            static_cast<double>(box.height)};
}

}  // namespace

QFont DefaultCellFont() {
    QFont font = QApplication::font("QMessageBox");
    if (font.pixelSize() <= 0) font.setPixelSize(std::max(QFontInfo(font).pixelSize(), 1));
    return font;
}

QFont CellFont(const CellFormat& format, const QFont& defaultFont) {
    QFont font = styledFont(defaultFont, format);
    if (!format.fontFace.empty()) font.setFamily(QString::fromStdString(format.fontFace));
    if (format.fontHeight < 0) {
        // Negate in 64 bits: the height may be the smallest int.
        const std::int64_t em = -std::int64_t{format.fontHeight};
        font.setPixelSize(static_cast<int>(std::min<std::int64_t>(em, kMaxFontPixels)));
        return font;
    }
    if (format.fontHeight == 0 && format.fontFace.empty()) return font;
    const int cellHeight = format.fontHeight > 0 ? std::min(format.fontHeight, kMaxFontPixels)
                                                 : cellHeightOf(defaultFont);
    const long pixels = std::lround(cellHeight * emPerCellHeight(font));
    font.setPixelSize(static_cast<int>(std::clamp<long>(pixels, 1, kMaxFontPixels)));
    return font;
}

int CellTextWidth(const std::string& text, const CellFormat& format) {
    const QFont font = CellFont(format, DefaultCellFont());
    const QString string = QString::fromStdString(text);
    double width = QFontMetricsF(font).horizontalAdvance(string);
    if (font.pixelSize() > 0) {
        QFont unhinted = font;
        unhinted.setHintingPreference(QFont::PreferNoHinting);
        unhinted.setPixelSize(static_cast<int>(kReferencePixels));
        const double scale = font.pixelSize() / kReferencePixels;
        width = std::max(width, QFontMetricsF(unhinted).horizontalAdvance(string) * scale);
    }
    return static_cast<int>(std::ceil(width));
}

void PaintTableRows(QPainter& painter, const TableModel& model, int firstRow, int lastRow,
                    const QFont& defaultFont) {
    const std::vector<CellBox> boxes = CellBoxes(model, firstRow, lastRow);
    if (boxes.empty()) return;

    double width = 0;
    for (int column = 0; column < model.ColumnCount(); ++column) width += model.ColumnWidth(column);
    double height = 0;
    for (int row = std::max(firstRow, 0); row <= std::min(lastRow, model.RowCount() - 1); ++row) {
        height += model.RowHeight(row);
    }

    painter.save();
    // A merged range that runs past the drawn rows is cut at their edge.
    painter.setClipRect(QRectF(0, 0, width, height), Qt::IntersectClip);
    painter.setPen(Qt::black);
    const GridLines lines = model.GridLineMode();
    const bool horizontalLines = lines == GridLines::Horizontal || lines == GridLines::Both;
    const bool verticalLines = lines == GridLines::Vertical || lines == GridLines::Both;
    const QColor gridColour = QColor::fromRgb(static_cast<QRgb>(TableModel::kGridLineRgb));

    for (const CellBox& box : boxes) {
        const QRectF rect = rectOf(box);
        painter.fillRect(rect, Qt::white);
        // Lines lie on the last pixel row and column of each cell, so every cell keeps its size.
        if (horizontalLines) {
            painter.fillRect(QRectF(rect.left(), rect.bottom() - 1, rect.width(), 1), gridColour);
        }
        if (verticalLines) {
            painter.fillRect(QRectF(rect.right() - 1, rect.top(), 1, rect.height()), gridColour);
        }

        const Cell& cell = model.CellAt(box.row, box.column);
        if (cell.text.empty()) continue;
        // The text keeps a pixel clear of the grid lines around it: its cell's own on its last
        // pixels and its neighbours' just outside it. A right-aligned "=" would touch the line.
        const double margin = cell.format.margin;
        const double clearX = verticalLines ? 1 : 0;
        const double clearY = horizontalLines ? 1 : 0;
        const QRectF textRect = rect.adjusted(margin + clearX, margin + clearY,
                                              -margin - 2 * clearX, -margin - 2 * clearY);
        if (textRect.width() <= 0 || textRect.height() <= 0) continue;
        painter.setFont(CellFont(cell.format, defaultFont));
        drawCellText(painter, textRect, cell.format.alignment, QString::fromStdString(cell.text));
    }
    painter.restore();
}

}  // namespace suantiji
