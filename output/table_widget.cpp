#include "output/table_widget.h"

#include <QPaintEvent>
#include <QPainter>

#include "output/table_painter.h"

namespace suantiji {

TableWidget::TableWidget(TableModel& model, QWidget* parent) : QFrame(parent), m_model(model) {
    // A two-pixel sunken border: the control is 5 pixels larger than its rows and columns, so
    // the cells start at (2, 2) and a thin strip of background remains at the right and bottom.
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setFixedSize(m_model.ControlWidth(), m_model.ControlHeight());
    m_model.SetChangeListener([this](TableModel::Change change) { modelChanged(change); });
}

TableWidget::~TableWidget() { m_model.SetChangeListener({}); }

void TableWidget::modelChanged(TableModel::Change change) {
    if (change == TableModel::Change::Size) {
        setFixedSize(m_model.ControlWidth(), m_model.ControlHeight());
    }
    update();
}

void TableWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect inside = contentsRect();
    painter.setClipRect(event->rect().intersected(inside));
    painter.fillRect(inside, palette().color(QPalette::Window));
    painter.translate(inside.topLeft());
    PaintTableRows(painter, m_model, 0, m_model.RowCount() - 1, DefaultCellFont());
    painter.resetTransform();
    painter.setClipping(false);
    drawFrame(&painter);
}

}  // namespace suantiji
