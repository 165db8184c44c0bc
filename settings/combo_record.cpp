#include "settings/combo_record.h"

#include "common/text.h"

namespace suantiji {

std::string TextBeforeFirst(std::string_view text, std::string_view separator) {
    if (separator.empty()) return {};
    const std::size_t pos = text.find(separator);
    if (pos == std::string_view::npos) return {};
    return std::string(text.substr(0, pos));
}

std::string TextAfterLast(std::string_view text, std::string_view separator) {
    if (separator.empty()) return {};
    const std::size_t pos = text.rfind(separator);
    if (pos == std::string_view::npos) return {};
    return std::string(text.substr(pos + separator.size()));
}

std::string FormatComboRecord(const ComboRecord& record) {
    std::string out;
    for (const ComboItem& item : record.items) {
        out += item.text;
        out += kItemFieldSeparator;
        out += IntegerToText(item.value);
        out += kItemSeparator;
    }
    out += IntegerToText(record.selection);
    out += kItemFieldSeparator;
    out += record.content;
    return out;
}

std::optional<ComboRecord> ParseComboRecord(std::string_view record) {
    std::vector<std::string_view> pieces;
    std::size_t pos = 0;
    while (true) {
        const std::size_t next = record.find(kItemSeparator, pos);
        if (next == std::string_view::npos) {
            if (pos < record.size()) pieces.push_back(record.substr(pos));
            break;
        }
        pieces.push_back(record.substr(pos, next - pos));
        pos = next + kItemSeparator.size();
    }
    if (pieces.empty()) return std::nullopt;
    for (const std::string_view piece : pieces) {
        if (piece.find(kItemFieldSeparator) == std::string_view::npos) return std::nullopt;
    }

    ComboRecord parsed;
    parsed.items.reserve(pieces.size() - 1);
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
        parsed.items.push_back({TextBeforeFirst(pieces[i], kItemFieldSeparator),
                                TextToInteger(TextAfterLast(pieces[i], kItemFieldSeparator))});
    }
    parsed.selection = TextToInteger(TextBeforeFirst(pieces.back(), kItemFieldSeparator));
    parsed.content = TextAfterLast(pieces.back(), kItemFieldSeparator);
    return parsed;
}

}  // namespace suantiji
