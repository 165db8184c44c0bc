#include "ui/gap_label.h"

#include <QPainter>
#include <QRegularExpression>

namespace suantiji {

void GapLabel::paintEvent(QPaintEvent* event) {
    static const QRegularExpression blanks(QStringLiteral(" {2,}"));
    const QRegularExpressionMatch gap = blanks.match(text());
    if (m_gapEnd < 0 || !gap.hasMatch()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    const QRect area = contentsRect();
    const QString before = text().left(gap.capturedStart());
    const QString after = text().mid(gap.capturedEnd());
    const int naturalStart = fontMetrics().horizontalAdvance(text().left(gap.capturedEnd()));
    painter.drawText(area, alignment(), before);
    QRect rest = area;
    rest.setLeft(area.left() + std::max(naturalStart, m_gapEnd));
    painter.drawText(rest, alignment(), after);
}

}  // namespace suantiji
