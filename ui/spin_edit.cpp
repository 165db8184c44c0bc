#include "ui/spin_edit.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QToolButton>

#include "common/text.h"

namespace suantiji {

namespace {

constexpr int kButtonWidth = 12;

bool isAllowed(QChar c) { return c == QLatin1Char('-') || (c >= u'0' && c <= u'9'); }

QString allowedOnly(const QString& text) {
    QString out;
    for (QChar c : text) {
        if (isAllowed(c)) out += c;
    }
    return out;
}

QToolButton* makeArrow(Qt::ArrowType arrow, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRepeat(true);
    button->setCursor(Qt::ArrowCursor);
    button->setStyleSheet(QStringLiteral("QToolButton { border: none; padding: 0; }"));
    return button;
}

}  // namespace

SpinEdit::SpinEdit(int minimum, int maximum, QWidget* parent)
    : QLineEdit(parent),
      m_minimum(minimum),
      m_maximum(maximum),
      m_up(makeArrow(Qt::UpArrow, this)),
      m_down(makeArrow(Qt::DownArrow, this)) {
    m_up->setObjectName(QStringLiteral("spinUp"));
    m_down->setObjectName(QStringLiteral("spinDown"));
    setTextMargins(0, 0, kButtonWidth, 0);
    connect(m_up, &QToolButton::clicked, this, &SpinEdit::stepUp);
    connect(m_down, &QToolButton::clicked, this, &SpinEdit::stepDown);
}

void SpinEdit::stepUp() { step(+1); }
void SpinEdit::stepDown() { step(-1); }

void SpinEdit::step(int delta) {
    long long value = static_cast<long long>(TextToInteger(text().toStdString())) + delta;
    if (value < m_minimum || value > m_maximum) value = delta > 0 ? m_minimum : m_maximum;
    setText(QString::number(value));
    selectAll();
    setFocus(Qt::OtherFocusReason);
}

void SpinEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        step(event->key() == Qt::Key_Up ? +1 : -1);
        return;
    }
    const QString typed = event->text();
    const bool printable = !typed.isEmpty() && typed.at(0).isPrint();
    const bool shortcut = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    if (printable && !shortcut && allowedOnly(typed) != typed) {
        event->accept();  // swallowed: only "-" and digits may be typed
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void SpinEdit::inputMethodEvent(QInputMethodEvent* event) {
    const QString commit = event->commitString();
    if (allowedOnly(commit) != commit) {
        QInputMethodEvent filtered(event->preeditString(), event->attributes());
        filtered.setCommitString(allowedOnly(commit), event->replacementStart(),
                                 event->replacementLength());
        QLineEdit::inputMethodEvent(&filtered);
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

void SpinEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    const int half = height() / 2;
    m_up->setGeometry(width() - kButtonWidth - 1, 1, kButtonWidth, half - 1);
    m_down->setGeometry(width() - kButtonWidth - 1, half, kButtonWidth, height() - half - 1);
}

}  // namespace suantiji
