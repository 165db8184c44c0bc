#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace suantiji {

// The text before the first occurrence of `separator`; empty when it does not occur.
std::string TextBeforeFirst(std::string_view text, std::string_view separator);
// The text after the last occurrence of `separator`; empty when it does not occur.
std::string TextAfterLast(std::string_view text, std::string_view separator);

inline constexpr std::string_view kItemFieldSeparator = "<|>";
inline constexpr std::string_view kItemSeparator = "<||>";

struct ComboItem {
    std::string text;
    int value = 0;
    bool operator==(const ComboItem&) const = default;
};

// A combo box as its settings record stores it: "text<|>value<||>" per item, then
// "selection<|>content".
struct ComboRecord {
    std::vector<ComboItem> items;
    int selection = -1;
    std::string content;
    bool operator==(const ComboRecord&) const = default;
};

std::string FormatComboRecord(const ComboRecord& record);

// Takes a record apart. Values and the selection are read as integers (non-numbers give 0,
// huge ones saturate). Empty pieces between separators count as items; an empty remainder
// after the last separator is dropped. Nothing (nullopt) when the record is empty or a piece
// lacks "<|>": such a record cannot have been written by the program, and using it would leave
// the control with a list the user cannot repair.
std::optional<ComboRecord> ParseComboRecord(std::string_view record);

}  // namespace suantiji
