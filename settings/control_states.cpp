#include "settings/control_states.h"

#include <functional>
#include <string_view>

#include "common/control_table.h"
#include "common/program_folder.h"
#include "common/text.h"
#include "settings/combo_record.h"

namespace suantiji {

namespace {

constexpr std::string_view kQuote = "\"";
constexpr std::string_view kQuoteEscape = "#引号";
constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kLineBreakEscape = "><br><";

bool isExcluded(const std::string& name, std::string_view exclusionList) {
    std::size_t pos = 0;
    while (pos <= exclusionList.size()) {
        std::size_t bar = exclusionList.find('|', pos);
        if (bar == std::string_view::npos) bar = exclusionList.size();
        if (exclusionList.substr(pos, bar - pos) == name) return true;
        pos = bar + 1;
    }
    return false;
}

std::string pathOrDefault(const std::string& settingsPath) {
    return settingsPath.empty() ? DefaultSettingsPath(ProgramFolder()) : settingsPath;
}

void restoreCheckedKind(ControlHost& host, const ProfileFile& profile, const char* kind) {
    for (const std::string& name : host.ControlsOfKind(kind)) {
        const std::string value = profile.ReadValue(kind, name);
        if (value.empty()) continue;
        host.SetChecked(name, value != BoolToText(false));
    }
}

void saveCheckedKind(ControlHost& host, ProfileFile& profile, const char* kind,
                     const std::string& exclusionList) {
    for (const std::string& name : host.ControlsOfKind(kind)) {
        if (isExcluded(name, exclusionList)) continue;
        profile.WriteValue(kind, name, BoolToText(host.IsChecked(name)));
    }
}

void restoreFromFile(ControlHost& host, const std::string& settingsPath,
                     void (*step)(ControlHost&, const ProfileFile&)) {
    const ProfileFile profile = ProfileFile::Load(pathOrDefault(settingsPath));
    step(host, profile);
}

void saveToFile(const std::string& settingsPath, const std::function<void(ProfileFile&)>& apply) {
    const std::string path = pathOrDefault(settingsPath);
    ProfileFile profile = ProfileFile::Load(path);
    // Overwriting a file we could not read would throw away whatever it holds.
    if (profile.source() == ProfileFile::Source::Unreadable) return;
    const std::string before = profile.Bytes();
    apply(profile);
    if (profile.source() == ProfileFile::Source::Loaded && profile.Bytes() == before) return;
    profile.Save(path);
}

}  // namespace

std::string SettingsFilePath(const std::string& programFolder) {
    return programFolder + "/data/config.abc";
}

std::string DefaultSettingsPath(const std::string& programFolder) {
    const std::string folder = programFolder + "/data";
    if (!IsFolder(folder)) MakeFolderPath(folder);
    return folder + "/setsoft.ini";
}

std::string EncodeEditText(const std::string& content) {
    return ReplaceAll(ReplaceAll(content, kLineBreak, kLineBreakEscape), kQuote, kQuoteEscape);
}

std::string DecodeEditText(const std::string& value) {
    return ReplaceAll(ReplaceAll(value, kLineBreakEscape, kLineBreak), kQuoteEscape, kQuote);
}

namespace {

void restoreRadioButtons(ControlHost& host, const ProfileFile& profile) {
    restoreCheckedKind(host, profile, kKindRadioButton);
}

void restoreCheckBoxes(ControlHost& host, const ProfileFile& profile) {
    restoreCheckedKind(host, profile, kKindCheckBox);
}

void restoreEditBoxes(ControlHost& host, const ProfileFile& profile) {
    for (const std::string& name : host.ControlsOfKind(kKindEditBox)) {
        const std::string value = profile.ReadValue(kKindEditBox, name);
        if (value.empty()) continue;
        host.SetContentText(name, DecodeEditText(value));
    }
}

void restoreComboBoxes(ControlHost& host, const ProfileFile& profile) {
    for (const std::string& name : host.ControlsOfKind(kKindComboBox)) {
        const std::string value =
            ReplaceAll(profile.ReadValue(kKindComboBox, name), kQuoteEscape, kQuote);
        if (value.empty()) continue;
        const std::optional<ComboRecord> record = ParseComboRecord(value);
        if (!record) continue;
        host.ClearItems(name);
        for (const ComboItem& item : record->items) host.AppendItem(name, item.text, item.value);
        host.SetCurrentIndex(name, record->selection);
        host.SetContentText(name, record->content);
    }
}

void saveRadioButtons(ControlHost& host, ProfileFile& profile,
                      const std::string& exclusionList = {}) {
    saveCheckedKind(host, profile, kKindRadioButton, exclusionList);
}

void saveCheckBoxes(ControlHost& host, ProfileFile& profile,
                    const std::string& exclusionList = {}) {
    saveCheckedKind(host, profile, kKindCheckBox, exclusionList);
}

void saveEditBoxes(ControlHost& host, ProfileFile& profile, const std::string& exclusionList = {}) {
    for (const std::string& name : host.ControlsOfKind(kKindEditBox)) {
        if (isExcluded(name, exclusionList)) continue;
        profile.WriteValue(kKindEditBox, name, EncodeEditText(host.ContentText(name)));
    }
}

void saveComboBoxes(ControlHost& host, ProfileFile& profile,
                    const std::string& exclusionList = {}) {
    for (const std::string& name : host.ControlsOfKind(kKindComboBox)) {
        if (isExcluded(name, exclusionList)) continue;
        ComboRecord record;
        const int count = host.ItemCount(name);
        record.items.reserve(count > 0 ? static_cast<std::size_t>(count) : 0);
        for (int i = 0; i < count; ++i) {
            record.items.push_back({host.ItemText(name, i), host.ItemValue(name, i)});
        }
        record.selection = host.CurrentIndex(name);
        record.content = host.ContentText(name);
        profile.WriteValue(kKindComboBox, name,
                           ReplaceAll(FormatComboRecord(record), kQuote, kQuoteEscape));
    }
}

}  // namespace

void RestoreRadioButtonStates(ControlHost& host, const std::string& settingsPath) {
    restoreFromFile(host, settingsPath, &restoreRadioButtons);
}
void RestoreCheckBoxStates(ControlHost& host, const std::string& settingsPath) {
    restoreFromFile(host, settingsPath, &restoreCheckBoxes);
}
void RestoreEditBoxStates(ControlHost& host, const std::string& settingsPath) {
    restoreFromFile(host, settingsPath, &restoreEditBoxes);
}
void RestoreComboBoxStates(ControlHost& host, const std::string& settingsPath) {
    restoreFromFile(host, settingsPath, &restoreComboBoxes);
}

void SaveRadioButtonStates(ControlHost& host, const std::string& settingsPath,
                           const std::string& exclusionList) {
    saveToFile(settingsPath,
               [&](ProfileFile& profile) { saveRadioButtons(host, profile, exclusionList); });
}
void SaveCheckBoxStates(ControlHost& host, const std::string& settingsPath,
                        const std::string& exclusionList) {
    saveToFile(settingsPath,
               [&](ProfileFile& profile) { saveCheckBoxes(host, profile, exclusionList); });
}
void SaveEditBoxStates(ControlHost& host, const std::string& settingsPath,
                       const std::string& exclusionList) {
    saveToFile(settingsPath,
               [&](ProfileFile& profile) { saveEditBoxes(host, profile, exclusionList); });
}
void SaveComboBoxStates(ControlHost& host, const std::string& settingsPath,
                        const std::string& exclusionList) {
    saveToFile(settingsPath,
               [&](ProfileFile& profile) { saveComboBoxes(host, profile, exclusionList); });
}

void RestoreControlStates(ControlHost& host, const ProfileFile& profile) {
    restoreRadioButtons(host, profile);
    restoreCheckBoxes(host, profile);
    restoreEditBoxes(host, profile);
    restoreComboBoxes(host, profile);
}

void SaveControlStates(ControlHost& host, ProfileFile& profile) {
    saveRadioButtons(host, profile);
    saveCheckBoxes(host, profile);
    saveEditBoxes(host, profile);
    // The printer list is rebuilt from the system at every start.
    saveComboBoxes(host, profile, std::string(control::kPrinters));
}

void RestoreControlStates(ControlHost& host, const std::string& settingsPath) {
    const ProfileFile profile = ProfileFile::Load(pathOrDefault(settingsPath));
    if (profile.source() != ProfileFile::Source::Loaded) return;
    RestoreControlStates(host, profile);
}

void SaveControlStates(ControlHost& host, const std::string& settingsPath) {
    saveToFile(settingsPath, [&](ProfileFile& profile) { SaveControlStates(host, profile); });
}

}  // namespace suantiji
