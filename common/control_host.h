#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace suantiji {

// Kind names under which the window's controls are enumerated and stored.
inline constexpr const char* kKindRadioButton = "单选框";
inline constexpr const char* kKindCheckBox = "选择框";
inline constexpr const char* kKindEditBox = "编辑框";
inline constexpr const char* kKindComboBox = "组合框";

// What settings, layout and the printer list need of a window: its controls of one kind in the
// window's control order, and their state by name. The main window implements it; tests use a
// plain fake.
// An unknown name reads as false, empty text, index -1, value -1 and ignores writes.
class ControlHost {
public:
    virtual ~ControlHost() = default;

    virtual std::vector<std::string> ControlsOfKind(std::string_view kindName) const = 0;

    virtual bool IsChecked(std::string_view name) const = 0;
    virtual void SetChecked(std::string_view name, bool checked) = 0;

    // Edit box content; for a drop-down list the selected item's text (empty with none).
    virtual std::string ContentText(std::string_view name) const = 0;
    // Edit box: sets the content. Drop-down list: stores the text, changes no item or selection.
    virtual void SetContentText(std::string_view name, const std::string& text) = 0;

    virtual int CurrentIndex(std::string_view name) const = 0;
    // Clamps: above the last index selects the last item, below -1 becomes -1. Raises no event.
    virtual void SetCurrentIndex(std::string_view name, int index) = 0;
    virtual int ItemCount(std::string_view name) const = 0;
    virtual std::string ItemText(std::string_view name, int index) const = 0;  // "" outside
    virtual int ItemValue(std::string_view name, int index) const = 0;         // -1 outside
    // Returns the new item's index, or -1 when the list refuses it.
    virtual int AppendItem(std::string_view name, const std::string& text, int value = 0) = 0;
    virtual void ClearItems(std::string_view name) = 0;
};

}  // namespace suantiji
