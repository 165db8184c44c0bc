#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/control_host.h"
#include "common/control_table.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QWidget;

namespace suantiji {

class TableModel;
class TableWidget;

// The window's controls, made from the control table with their design defaults, and what
// settings, layout and the printer list ask of them by name. Widgets are QObjects named by
// their control names; the typed pointers are kept from when they are made.
class WindowControls : public ControlHost {
public:
    WindowControls(QWidget& window, TableModel& table);

    QTabWidget* tabs() const { return m_tabs; }
    TableWidget* sheet() const { return m_sheet; }
    // Null for a name that is no control of that kind.
    QWidget* widget(std::string_view name) const;
    QCheckBox* checkBox(std::string_view name) const;
    QLineEdit* editBox(std::string_view name) const;
    QComboBox* comboBox(std::string_view name) const;
    QPushButton* button(std::string_view name) const;

    // ControlHost
    std::vector<std::string> ControlsOfKind(std::string_view kindName) const override;
    bool IsChecked(std::string_view name) const override;
    void SetChecked(std::string_view name, bool checked) override;
    std::string ContentText(std::string_view name) const override;
    void SetContentText(std::string_view name, const std::string& text) override;
    int CurrentIndex(std::string_view name) const override;
    void SetCurrentIndex(std::string_view name, int index) override;
    int ItemCount(std::string_view name) const override;
    std::string ItemText(std::string_view name, int index) const override;
    int ItemValue(std::string_view name, int index) const override;
    int AppendItem(std::string_view name, const std::string& text, int value = 0) override;
    void ClearItems(std::string_view name) override;

private:
    struct Made {
        QWidget* widget = nullptr;
        QCheckBox* check = nullptr;
        QLineEdit* edit = nullptr;
        QComboBox* combo = nullptr;
        QPushButton* button = nullptr;
    };

    const Made* made(std::string_view name) const;
    template <typename T>
    T* typed(std::string_view name, T* Made::*pointer) const;
    void make(const ControlDesign& design, QWidget& window, TableModel& table);
    QWidget* makeTab(const ControlDesign& design, QWidget* parent);
    QWidget* makeLabel(const ControlDesign& design, QWidget* parent);
    QWidget* makeCheckBox(const ControlDesign& design, QWidget* parent, Made& into);
    QWidget* makeEditBox(const ControlDesign& design, QWidget* parent, Made& into);
    QWidget* makeComboBox(const ControlDesign& design, QWidget* parent, Made& into);
    QWidget* makeButton(const ControlDesign& design, QWidget* parent, Made& into);
    void widenBlanks();

    std::vector<Made> m_made;  // by place in the control table
    QTabWidget* m_tabs = nullptr;
    TableWidget* m_sheet = nullptr;
};

}  // namespace suantiji
