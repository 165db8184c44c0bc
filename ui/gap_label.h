#pragma once

#include <QLabel>

namespace suantiji {

// A caption like "数字范围         以内" whose blanks make room for a control placed over them.
// Blanks are narrower in the desktop's font than in the font the design was drawn with, so the
// text after the blanks is drawn where the control ends. The caption itself stays as it is.
class GapLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    // Where, in this label's coordinates, the text after the blanks starts at the earliest.
    void setGapEnd(int x) { m_gapEnd = x; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_gapEnd = -1;
};

}  // namespace suantiji
