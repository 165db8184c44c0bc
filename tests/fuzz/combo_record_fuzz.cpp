// Feeds arbitrary text as a combo box record: parsing must neither crash nor hang, and a parsed
// record must survive being written and read again.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings/combo_record.h"

using namespace suantiji;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto record = ParseComboRecord(text);
    if (!record) return 0;
    // Texts holding a separator cannot come back unchanged; everything else must.
    for (const ComboItem& item : record->items) {
        if (item.text.find("<|>") != std::string::npos) return 0;
    }
    if (record->content.find("<||>") != std::string::npos) return 0;
    const auto again = ParseComboRecord(FormatComboRecord(*record));
    if (!again || !(*again == *record)) std::abort();
    return 0;
}
