#pragma once

#include <QLineEdit>

class QToolButton;

namespace suantiji {

// An edit box that takes only "-" and digits as typed characters, with a spin button at its
// right edge. A step adds or subtracts one and wraps outside the range: above the top gives
// the bottom, below the bottom gives the top. The range does not limit what can be typed.
class SpinEdit : public QLineEdit {
    Q_OBJECT
public:
    SpinEdit(int minimum, int maximum, QWidget* parent = nullptr);

    void stepUp();
    void stepDown();
    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void step(int delta);

    int m_minimum;
    int m_maximum;
    QToolButton* m_up;
    QToolButton* m_down;
};

}  // namespace suantiji
