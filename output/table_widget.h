#pragma once

#include <QFrame>

#include "output/table_model.h"

namespace suantiji {

// The sheet table on screen: paints the model inside a thin sunken border and takes the
// model's control size. It listens to the model, which it does not own and which must outlive it.
class TableWidget : public QFrame {
    Q_OBJECT

public:
    explicit TableWidget(TableModel& model, QWidget* parent = nullptr);
    ~TableWidget() override;

    TableModel& model() const { return m_model; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void modelChanged(TableModel::Change change);

    TableModel& m_model;
};

}  // namespace suantiji
