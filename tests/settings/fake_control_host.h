#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/control_host.h"
#include "common/control_table.h"

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

    // The main window's controls in the window's control order, with their defaults.
    static FakeControlHost MainWindowDefaults() {
        std::vector<const ControlDesign*> designs;
        for (const ControlDesign& design : ControlTable()) designs.push_back(&design);
        std::sort(
            designs.begin(), designs.end(),
            [](const ControlDesign* a, const ControlDesign* b) { return a->order < b->order; });
        FakeControlHost host;
        for (const ControlDesign* design : designs) {
            const std::string name(design->name);
            switch (design->kind) {
                case ControlKind::Check:
                    host.AddCheckBox(name, design->checked);
                    break;
                case ControlKind::Edit:
                case ControlKind::SpinEdit:
                    host.AddEditBox(name, std::string(design->caption));
                    break;
                case ControlKind::Combo:
                    host.AddComboBox(
                        name, std::vector<std::string>(design->items.begin(), design->items.end()),
                        design->selected);
                    break;
                default:
                    host.AddOther(name);
            }
        }
        return host;
    }

    void AddCheckBox(std::string_view name, bool checked) {
        add(name, kKindCheckBox).checked = checked;
    }
    void AddRadioButton(std::string_view name, bool checked) {
        add(name, kKindRadioButton).checked = checked;
    }
    void AddEditBox(std::string_view name, const std::string& text) {
        add(name, kKindEditBox).text = text;
    }
    void AddComboBox(std::string_view name, const std::vector<std::string>& items, int selection) {
        Control& control = add(name, kKindComboBox);
        for (const std::string& text : items) control.items.push_back({text, 0});
        control.selection = selection;
    }
    // A label, button or group box: present in the window, never stored.
    void AddOther(std::string_view name) { add(name, "其他"); }

    // What was last written as a drop-down list's content text.
    std::string StoredContentText(std::string_view name) const {
        const Control* control = find(name);
        return control ? control->text : std::string();
    }
    std::vector<Item> Items(std::string_view name) const {
        const Control* control = find(name);
        return control ? control->items : std::vector<Item>();
    }
    // How often anything changed the control's list, selection or state.
    int ChangeCount(std::string_view name) const {
        const Control* control = find(name);
        return control ? control->changes : 0;
    }

    std::vector<std::string> ControlsOfKind(std::string_view kindName) const override {
        std::vector<std::string> names;
        for (const Control& control : m_controls) {
            if (control.kind == kindName) names.push_back(control.name);
        }
        return names;
    }

    bool IsChecked(std::string_view name) const override {
        const Control* control = find(name);
        return control && control->checked;
    }
    void SetChecked(std::string_view name, bool checked) override {
        if (Control* control = find(name)) {
            control->checked = checked;
            ++control->changes;
        }
    }

    std::string ContentText(std::string_view name) const override {
        const Control* control = find(name);
        if (!control) return {};
        if (control->kind == kKindComboBox) return ItemText(name, control->selection);
        return control->text;
    }
    void SetContentText(std::string_view name, const std::string& text) override {
        if (Control* control = find(name)) {
            control->text = text;
            ++control->changes;
        }
    }

    int CurrentIndex(std::string_view name) const override {
        const Control* control = find(name);
        return control ? control->selection : -1;
    }
    void SetCurrentIndex(std::string_view name, int index) override {
        Control* control = find(name);
        if (!control) return;
        const int last = static_cast<int>(control->items.size()) - 1;
        control->selection = std::max(-1, std::min(index, last));
        ++control->changes;
    }
    int ItemCount(std::string_view name) const override {
        const Control* control = find(name);
        return control ? static_cast<int>(control->items.size()) : 0;
    }
    std::string ItemText(std::string_view name, int index) const override {
        const Control* control = find(name);
        if (!control || index < 0 || index >= static_cast<int>(control->items.size())) return {};
        return control->items[static_cast<std::size_t>(index)].text;
    }
    int ItemValue(std::string_view name, int index) const override {
        const Control* control = find(name);
        if (!control || index < 0 || index >= static_cast<int>(control->items.size())) return -1;
        return control->items[static_cast<std::size_t>(index)].value;
    }
    int AppendItem(std::string_view name, const std::string& text, int value = 0) override {
        Control* control = find(name);
        if (!control || control->kind != kKindComboBox) return -1;
        control->items.push_back({text, value});
        ++control->changes;
        return static_cast<int>(control->items.size()) - 1;
    }
    void ClearItems(std::string_view name) override {
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

    Control& add(std::string_view name, const std::string& kind) {
        Control& control = m_controls.emplace_back();
        control.name = std::string(name);
        control.kind = kind;
        return control;
    }
    Control* find(std::string_view name) {
        for (Control& control : m_controls) {
            if (control.name == name) return &control;
        }
        return nullptr;
    }
    const Control* find(std::string_view name) const {
        return const_cast<FakeControlHost*>(this)->find(name);
    }

    std::vector<Control> m_controls;
};

}  // namespace suantiji
