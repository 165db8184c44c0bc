#include <gtest/gtest.h>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <memory>

#include "output/table_painter.h"
#include "output/table_widget.h"
#include "tests/output/table_test_support.h"

namespace suantiji {
namespace {

const QRgb kUncovered = qRgb(255, 0, 255);
const QRgb kGrid = qRgb(192, 192, 192);

class TablePaint : public ::testing::Test {
protected:
    // The whole table painted at (0, 0) on a magenta background, so uncovered area shows.
    QImage paint(const TableModel& model, int width = 400, int height = 200) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(kUncovered);
        QPainter painter(&image);
        PaintTableRows(painter, model, 0, model.RowCount() - 1, DefaultCellFont());
        return image;
    }
};

// The bounding box of dark (text) pixels inside a rectangle.
QRect darkPixels(const QImage& image, const QRect& area) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) box = box.united(QRect(x, y, 1, 1));
        }
    }
    return box;
}

// Three rows of 40 and three columns of 100, margins 0.
TableModel smallTable() {
    TableModel model;
    for (int row = 0; row < model.RowCount(); ++row) model.SetRowHeight(row, row < 3 ? 40 : 0);
    for (int column = 0; column < model.ColumnCount(); ++column) {
        model.SetColumnWidth(column, column < 3 ? 100 : 0);
    }
    model.SetCellMargin({0, 0, 20, 12}, 0);
    return model;
}

class GridLineModes : public TablePaint, public ::testing::WithParamInterface<int> {};

TEST_P(GridLineModes, FollowTheModeInLightGrey) {
    TableModel model = smallTable();
    model.SetGridLineMode(static_cast<GridLines>(GetParam()));
    const QImage image = paint(model);
    const int mode = GetParam() == 5 ? 3 : GetParam();  // 5 acts as 3
    const bool horizontal = mode == 1 || mode == 3;
    const bool vertical = mode == 2 || mode == 3;
    // The last pixel row and column of cell (0, 0), away from the corner.
    EXPECT_EQ(image.pixel(50, 39), horizontal ? kGrid : qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(99, 20), vertical ? kGrid : qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(50, 38), qRgb(255, 255, 255));  // one pixel wide
    EXPECT_EQ(image.pixel(98, 20), qRgb(255, 255, 255));
    // Cells are white up to the table's edge; nothing is painted beyond it.
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(300, 20), kUncovered);
    EXPECT_EQ(image.pixel(50, 120), kUncovered);
}

INSTANTIATE_TEST_SUITE_P(TablePaint, GridLineModes, ::testing::Values(0, 1, 2, 3, 5));

TEST_F(TablePaint, ZeroWidthColumnsTakeNoSpaceAndShowNothing) {
    TableModel model = smallTable();
    model.SetGridLineMode(GridLines::Both);
    model.SetColumnWidth(1, 0);
    const QImage without = paint(model);
    model.SetCellText(0, 1, "WWWWWWWW");
    model.SetAlignment({0, 1, 0, 1}, Alignment::Centre);
    EXPECT_EQ(paint(model), without);
    // Column 2 follows column 0 directly.
    EXPECT_EQ(without.pixel(199, 20), kGrid);
    EXPECT_EQ(without.pixel(200, 20), kUncovered);
}

TEST_F(TablePaint, TextIsAlignedAsSetAndCentredVertically) {
    TableModel model = smallTable();
    model.SetColumnWidth(0, 300);
    model.SetCellText(0, 0, "12+5=");
    model.SetFontHeight({0, 0, 0, 0}, 20);
    const QRect cell(0, 0, 300, 40);

    model.SetAlignment({0, 0, 0, 0}, Alignment::Right);
    const QRect right = darkPixels(paint(model), cell);
    ASSERT_FALSE(right.isEmpty());
    EXPECT_GE(right.right(), 290);
    EXPECT_GT(right.left(), 150);
    EXPECT_NEAR(right.center().y(), 20, 3);

    model.SetAlignment({0, 0, 0, 0}, Alignment::Left);
    const QRect left = darkPixels(paint(model), cell);
    EXPECT_LE(left.left(), 5);
    EXPECT_EQ(left.width(), right.width());

    model.SetAlignment({0, 0, 0, 0}, Alignment::Centre);
    const QRect centre = darkPixels(paint(model), cell);
    EXPECT_NEAR(centre.center().x(), 150, 3);

    // A margin keeps the text that far from the border.
    model.SetAlignment({0, 0, 0, 0}, Alignment::Right);
    model.SetCellMargin({0, 0, 0, 0}, 30);
    EXPECT_LE(darkPixels(paint(model), cell).right(), 270);
}

TEST_F(TablePaint, FontHeightIsTheCharacterCellHeight) {
    const QFont standard = DefaultCellFont();
    CellFormat format;
    format.fontFace = "黑体";
    for (int height : {10, 12, 13, 30}) {
        format.fontHeight = height;
        const QFontMetricsF metrics(CellFont(format, standard));
        EXPECT_NEAR(metrics.ascent() + metrics.descent(), height, 1.0) << height;
    }
    format.fontHeight = -20;  // an em size
    EXPECT_EQ(CellFont(format, standard).pixelSize(), 20);
    for (int absurd : {99999, INT_MAX, -99999, INT_MIN}) {
        format.fontHeight = absurd;
        EXPECT_LE(CellFont(format, standard).pixelSize(), 500) << absurd;
    }
    // Height 0: the default font's height in the cell's face; no face: the default font.
    format = CellFormat{};
    EXPECT_EQ(CellFont(format, standard).pixelSize(), standard.pixelSize());
    format.fontFace = "黑体";
    const QFontMetricsF ownFace(CellFont(format, standard));
    const QFontMetricsF defaultFace(standard);
    EXPECT_NEAR(ownFace.ascent() + ownFace.descent(), defaultFace.ascent() + defaultFace.descent(),
                1.0);
}

// What lies beyond a sign's bar (its widest row of ink) in one direction: a dark mark, and
// whether a clear row separates it from the bar.
struct Mark {
    bool dark = false;
    bool apart = false;
};

// The sign alone in a cell of the questions' font (bold "黑体" of that height), painted `x`
// pixels from the image's left edge.
Mark markBeyondBar(const QString& sign, int height, double x, int step) {
    constexpr int kSide = 48;
    constexpr int kInk = 96;     // some 60 % covered or more: reads as black
    constexpr int kClear = 128;  // every pixel of the row less than half covered
    TableModel model = smallTable();
    model.SetCellText(0, 0, sign.toStdString());
    model.SetFontFace({0, 0, 0, 0}, "黑体");
    model.SetFontHeight({0, 0, 0, 0}, height);
    model.SetFontStyle({0, 0, 0, 0}, FontStyle::Bold);
    QImage image(kSide, kSide, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.translate(x, 0);
    PaintTableRows(painter, model, 0, 0, DefaultCellFont());
    painter.end();

    std::vector<int> darkest(kSide, 255);
    std::vector<int> ink(kSide, 0);
    for (int y = 0; y < kSide; ++y) {
        for (int column = 0; column < kSide; ++column) {
            const int grey = qGray(image.pixel(column, y));
            darkest[y] = std::min(darkest[y], grey);
            ink[y] += grey < kInk ? 1 : 0;
        }
    }
    int y = static_cast<int>(std::max_element(ink.begin(), ink.end()) - ink.begin());
    while (y >= 0 && y < kSide && ink[y] > 0) y += step;  // the bar and whatever joins it
    Mark mark;
    bool clearRow = false;
    for (; y >= 0 && y < kSide && !mark.dark; y += step) {
        clearRow = clearRow || darkest[y] >= kClear;
        mark.dark = ink[y] > 0;
    }
    mark.apart = mark.dark && clearRow;
    return mark;
}

// The layout's heights: 13 for 2 to 4 numbers, 12 for 5, 10 for 6 and more. A ÷ whose dots
// fuse into its bar or fade to grey reads as +. In a question a sign may fall at any fraction
// of a pixel.
TEST_F(TablePaint, DivisionSignKeepsDarkDotsApartFromItsBar) {
    for (int height : {10, 12, 13}) {
        for (double x : {0.0, 0.25, 0.5, 0.75}) {
            for (int step : {-1, 1}) {
                const Mark dot = markBeyondBar(QStringLiteral("÷"), height, x, step);
                EXPECT_TRUE(dot.dark) << height << " px at " << x << ", step " << step;
                if (height >= 12) {
                    EXPECT_TRUE(dot.apart) << height << " px at " << x << ", step " << step;
                }
                // The plus sign's stroke runs on from its bar: the check tells the two apart.
                EXPECT_FALSE(markBeyondBar(QStringLiteral("+"), height, x, step).dark) << height;
            }
        }
    }
}

TEST_F(TablePaint, WidgetFollowsTheModelAndDrawsInsideItsBorder) {
    TableModel model;
    auto widget = std::make_unique<TableWidget>(model);
    EXPECT_EQ(widget->size(), QSize(1045, 735));
    testing::LayOutSheet(model, 30);
    EXPECT_EQ(widget->size(), QSize(1045, 50 + 20 * 30 + 5));

    const QImage image = widget->grab().toImage();
    EXPECT_EQ(image.pixel(2 + 100, 2 + 5), qRgb(255, 255, 255));  // header cell
    EXPECT_EQ(image.pixel(2 + 4, 2 + 20), kGrid);                 // column 0's line
    EXPECT_FALSE(darkPixels(image, QRect(2 + 5, 2 + 50, 160, 30)).isEmpty());

    widget.reset();
    model.SetCellText(1, 1, "after");  // the listener went with the widget
    model.SetControlSize(10, 10);
}

}  // namespace
}  // namespace suantiji
