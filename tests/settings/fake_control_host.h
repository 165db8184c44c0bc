#pragma once

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "common/control_host.h"

namespace suantiji {

// A window without widgets: check boxes, radio buttons, edit boxes and drop-down lists kept in
// the order they were added, with the drop-down list rules (selection clamps, reading the
// content yields the selected item's text, writing it only stores it).
class FakeControlHost : public ControlHost {
public:
    struct Item {
        std::string text;
        int value = 0;
    };

    // The main window's stored controls in the window's control order, with their defaults.
    static FakeControlHost MainWindowDefaults() {
        FakeControlHost host;
        host.AddEditBox("编辑框_自定义字号", "12");
        host.AddCheckBox("选择框_自定义字号", false);
        host.AddCheckBox("选择框_左对齐", false);
        host.AddCheckBox("选择框_显示表格线", false);
        host.AddOther("标签5");
        host.AddComboBox("组合框_设置行高", {"30", "31", "32", "33", "34", "35", "36"}, 4);
        host.AddCheckBox("选择框_题目不重复", false);
        host.AddCheckBox("选择框_每步整数", false);
        host.AddCheckBox("选择框_括号题型单一出题", false);
        host.AddCheckBox("选择框_括号题型混合出题", false);
        host.AddComboBox("组合框_打印机", {}, -1);
        host.AddCheckBox("选择框_显示答案", false);
        host.AddComboBox("组合框_出题数量",
                         {"10", "20", "30", "40", "50", "60", "70", "80", "90", "100"}, 9);
        host.AddEditBox("编辑框_答案范围", "1000");
        host.AddEditBox("编辑框_数字范围", "100");
        host.AddCheckBox("选择框_除", false);
        host.AddCheckBox("选择框_乘", false);
        host.AddCheckBox("选择框_减", true);
        host.AddCheckBox("选择框_加", true);
        host.AddOther("标签4");
        host.AddComboBox("组合框_n元运算", {"2", "3", "4", "5", "6", "7", "8", "9"}, 2);
        return host;
    }

    void AddCheckBox(const std::string& name, bool checked) {
        add(name, kKindCheckBox).checked = checked;
    }
    void AddRadioButton(const std::string& name, bool checked) {
        add(name, kKindRadioButton).checked = checked;
    }
    void AddEditBox(const std::string& name, const std::string& text) {
        add(name, kKindEditBox).text = text;
    }
    void AddComboBox(const std::string& name, const std::vector<std::string>& items,
                     int selection) {
        Control& control = add(name, kKindComboBox);
        for (const std::string& text : items) control.items.push_back({text, 0});
        control.selection = selection;
    }
    // A label, button or group box: present in the window, never stored.
    void AddOther(const std::string& name) { add(name, "其他"); }

    // What was last written as a drop-down list's content text.
    std::string StoredContentText(const std::string& name) const {
        const Control* control = find(name);
        return control ? control->text : std::string();
    }
    std::vector<Item> Items(const std::string& name) const {
        const Control* control = find(name);
        return control ? control->items : std::vector<Item>();
    }
    // How often anything changed the control's list, selection or state.
    int ChangeCount(const std::string& name) const {
        const Control* control = find(name);
        return control ? control->changes : 0;
    }

    std::vector<std::string> ControlsOfKind(const std::string& kindName) const override {
        std::vector<std::string> names;
        for (const Control& control : m_controls) {
            if (control.kind == kindName) names.push_back(control.name);
        }
        return names;
    }

    bool IsChecked(const std::string& name) const override {
        const Control* control = find(name);
        return control && control->checked;
    }
    void SetChecked(const std::string& name, bool checked) override {
        if (Control* control = find(name)) {
            control->checked = checked;
            ++control->changes;
        }
    }

    std::string ContentText(const std::string& name) const override {
        const Control* control = find(name);
        if (!control) return {};
        if (control->kind == kKindComboBox) return ItemText(name, control->selection);
        return control->text;
    }
    void SetContentText(const std::string& name, const std::string& text) override {
        if (Control* control = find(name)) {
            control->text = text;
            ++control->changes;
        }
    }

    int CurrentIndex(const std::string& name) const override {
        const Control* control = find(name);
        return control ? control->selection : -1;
    }
    void SetCurrentIndex(const std::string& name, int index) override {
        Control* control = find(name);
        if (!control) return;
        const int last = static_cast<int>(control->items.size()) - 1;
        control->selection = std::max(-1, std::min(index, last));
        ++control->changes;
    }
    int ItemCount(const std::string& name) const override {
        const Control* control = find(name);
        return control ? static_cast<int>(control->items.size()) : 0;
    }
    std::string ItemText(const std::string& name, int index) const override {
        const Control* control = find(name);
        if (!control || index < 0 || index >= static_cast<int>(control->items.size())) return {};
        return control->items[static_cast<std::size_t>(index)].text;
    }
    int ItemValue(const std::string& name, int index) const override {
        const Control* control = find(name);
        if (!control || index < 0 || index >= static_cast<int>(control->items.size())) return -1;
        return control->items[static_cast<std::size_t>(index)].value;
    }
    int AppendItem(const std::string& name, const std::string& text, int value = 0) override {
        Control* control = find(name);
        if (!control || control->kind != kKindComboBox) return -1;
        control->items.push_back({text, value});
        ++control->changes;
        return static_cast<int>(control->items.size()) - 1;
    }
    void ClearItems(const std::string& name) override {
        if (Control* control = find(name)) {
            control->items.clear();
            control->selection = -1;
            ++control->changes;
        }
    }

private:
    struct Control {
        std::string name;
        std::string kind;
        bool checked = false;
        std::string text;
        std::vector<Item> items;
        int selection = -1;
        int changes = 0;
    };

    Control& add(const std::string& name, const std::string& kind) {
        Control& control = m_controls.emplace_back();
        control.name = name;
        control.kind = kind;
        return control;
    }
    Control* find(const std::string& name) {
        for (Control& control : m_controls) {
            if (control.name == name) return &control;
        }
        return nullptr;
    }
    const Control* find(const std::string& name) const {
        return const_cast<FakeControlHost*>(this)->find(name);
    }

    std::vector<Control> m_controls;
};

}  // namespace suantiji
