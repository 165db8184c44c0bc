#include "ui/window_controls.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>
#include <array>
#include <utility>

#include "output/table_widget.h"
#include "ui/gap_label.h"
#include "ui/spin_edit.h"

namespace suantiji {

namespace {

constexpr const char* kContentProperty = "contentText";

QString q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
std::string s(const QString& text) { return text.toStdString(); }

std::size_t placeOf(const ControlDesign* design) {
    return static_cast<std::size_t>(design - ControlTable().data());
}

}  // namespace

WindowControls::WindowControls(QWidget& window, TableModel& table) : m_made(ControlTable().size()) {
    for (const ControlDesign& design : ControlTable()) make(design, window, table);
    widenBlanks();
}

void WindowControls::make(const ControlDesign& design, QWidget& window, TableModel& table) {
    Made& into = m_made[placeOf(&design)];
    QWidget* parent = design.parent.empty() ? &window : widget(design.parent);
    QWidget* made = nullptr;
    switch (design.kind) {
        case ControlKind::Tab:
            made = makeTab(design, parent);
            break;
        case ControlKind::Grid:
            made = m_sheet = new TableWidget(table, parent);
            break;
        case ControlKind::Group:
            made = new QGroupBox(q(design.caption), parent);
            break;
        case ControlKind::Label:
            made = makeLabel(design, parent);
            break;
        case ControlKind::Check:
            made = makeCheckBox(design, parent, into);
            break;
        case ControlKind::Edit:
        case ControlKind::SpinEdit:
            made = makeEditBox(design, parent, into);
            break;
        case ControlKind::Combo:
            made = makeComboBox(design, parent, into);
            break;
        case ControlKind::Button:
            made = makeButton(design, parent, into);
            break;
        case ControlKind::NonVisual:
            (new QObject(&window))->setObjectName(q(design.name));
            return;
    }
    made->setObjectName(q(design.name));
    made->setGeometry(design.left, design.top, design.width, design.height);
    if (parent == m_tabs) {
        // The tab control's own font is for its tab strip; its controls keep the window's.
        made->setFont(QApplication::font());
        made->raise();
    }
    into.widget = made;
}

QWidget* WindowControls::makeTab(const ControlDesign& design, QWidget* parent) {
    m_tabs = new QTabWidget(parent);
    m_tabs->addTab(new QWidget, q(design.caption));
    m_tabs->tabBar()->setFocusPolicy(Qt::NoFocus);
    QFont tabFont(QStringLiteral("SimSun"));
    tabFont.setPixelSize(12);
    tabFont.setWeight(QFont::Normal);
    m_tabs->setFont(tabFont);
    return m_tabs;
}

QWidget* WindowControls::makeLabel(const ControlDesign& design, QWidget* parent) {
    auto* label = new GapLabel(q(design.caption), parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setContentsMargins(0, 3, 0, 0);
    return label;
}

QWidget* WindowControls::makeCheckBox(const ControlDesign& design, QWidget* parent, Made& into) {
    into.check = new QCheckBox(q(design.caption), parent);
    into.check->setChecked(design.checked);
    return into.check;
}

QWidget* WindowControls::makeEditBox(const ControlDesign& design, QWidget* parent, Made& into) {
    into.edit =
        design.kind == ControlKind::Edit ? new QLineEdit(parent) : new SpinEdit(0, 30, parent);
    into.edit->setText(q(design.caption));
    into.edit->setAlignment(Qt::AlignCenter);
    into.edit->setFrame(true);
    QPalette palette = into.edit->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    into.edit->setPalette(palette);
    return into.edit;
}

QWidget* WindowControls::makeComboBox(const ControlDesign& design, QWidget* parent, Made& into) {
    into.combo = new QComboBox(parent);
    // The design's lists are narrow: keep the text clear of the arrow.
    into.combo->setStyleSheet(
        QStringLiteral("QComboBox { padding: 0px 0px 0px 3px; }"
                       "QComboBox::drop-down { width: 14px; }"));
    into.combo->setEditable(false);
    into.combo->setProperty(kContentProperty, QString());
    for (std::string_view item : design.items) into.combo->addItem(q(item), 0);
    into.combo->setCurrentIndex(design.selected);
    return into.combo;
}

QWidget* WindowControls::makeButton(const ControlDesign& design, QWidget* parent, Made& into) {
    into.button = new QPushButton(q(design.caption), parent);
    into.button->setAutoDefault(false);
    into.button->setDefault(false);
    return into.button;
}

// The blanks of these captions sit under a control; their text goes on after it.
void WindowControls::widenBlanks() {
    constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kCovered{
        {{control::kNumberLimitLabel, control::kNumberLimit},
         {control::kAnswerLimitLabel, control::kAnswerLimit},
         {control::kQuestionCountLabel, control::kQuestionCount}}};
    for (const auto& [labelName, coverName] : kCovered) {
        auto* label = static_cast<GapLabel*>(widget(labelName));
        const QWidget* cover = widget(coverName);
        label->setGapEnd(cover->geometry().right() + 4 - label->x());
    }
}

const WindowControls::Made* WindowControls::made(std::string_view name) const {
    const ControlDesign* design = FindControl(name);
    return design != nullptr ? &m_made[placeOf(design)] : nullptr;
}

template <typename T>
T* WindowControls::typed(std::string_view name, T* Made::*pointer) const {
    const Made* m = made(name);
    return m != nullptr ? m->*pointer : nullptr;
}

QWidget* WindowControls::widget(std::string_view name) const { return typed(name, &Made::widget); }
QCheckBox* WindowControls::checkBox(std::string_view name) const {
    return typed(name, &Made::check);
}
QLineEdit* WindowControls::editBox(std::string_view name) const { return typed(name, &Made::edit); }
QComboBox* WindowControls::comboBox(std::string_view name) const {
    return typed(name, &Made::combo);
}
QPushButton* WindowControls::button(std::string_view name) const {
    return typed(name, &Made::button);
}

std::vector<std::string> WindowControls::ControlsOfKind(std::string_view kindName) const {
    std::vector<const ControlDesign*> ofKind;
    for (const ControlDesign& design : ControlTable()) {
        if (StoredKindName(design.kind) == kindName) ofKind.push_back(&design);
    }
    std::sort(ofKind.begin(), ofKind.end(),
              [](const ControlDesign* a, const ControlDesign* b) { return a->order < b->order; });
    std::vector<std::string> names;
    for (const ControlDesign* design : ofKind) names.emplace_back(design->name);
    return names;
}

bool WindowControls::IsChecked(std::string_view name) const {
    const QCheckBox* box = checkBox(name);
    return box != nullptr && box->isChecked();
}

void WindowControls::SetChecked(std::string_view name, bool checked) {
    if (QCheckBox* box = checkBox(name)) box->setChecked(checked);
}

std::string WindowControls::ContentText(std::string_view name) const {
    if (const QLineEdit* edit = editBox(name)) return s(edit->text());
    // A drop-down list reads as its selected item's text.
    if (const QComboBox* box = comboBox(name)) return s(box->currentText());
    return {};
}

void WindowControls::SetContentText(std::string_view name, const std::string& text) {
    if (QLineEdit* edit = editBox(name)) {
        edit->setText(q(text));
    } else if (QComboBox* box = comboBox(name)) {
        box->setProperty(kContentProperty, q(text));
    }
}

int WindowControls::CurrentIndex(std::string_view name) const {
    const QComboBox* box = comboBox(name);
    return box != nullptr ? box->currentIndex() : -1;
}

void WindowControls::SetCurrentIndex(std::string_view name, int index) {
    QComboBox* box = comboBox(name);
    if (box == nullptr) return;
    index = std::min(index, box->count() - 1);
    box->setCurrentIndex(std::max(index, -1));
}

int WindowControls::ItemCount(std::string_view name) const {
    const QComboBox* box = comboBox(name);
    return box != nullptr ? box->count() : 0;
}

std::string WindowControls::ItemText(std::string_view name, int index) const {
    const QComboBox* box = comboBox(name);
    if (box == nullptr || index < 0 || index >= box->count()) return {};
    return s(box->itemText(index));
}

int WindowControls::ItemValue(std::string_view name, int index) const {
    const QComboBox* box = comboBox(name);
    if (box == nullptr || index < 0 || index >= box->count()) return -1;
    return box->itemData(index).toInt();
}

int WindowControls::AppendItem(std::string_view name, const std::string& text, int value) {
    QComboBox* box = comboBox(name);
    if (box == nullptr) return -1;
    const int selected = box->currentIndex();
    box->addItem(q(text), value);
    // Appending never selects: a list with nothing chosen keeps nothing chosen.
    box->setCurrentIndex(selected);
    return box->count() - 1;
}

void WindowControls::ClearItems(std::string_view name) {
    if (QComboBox* box = comboBox(name)) box->clear();
}

}  // namespace suantiji
