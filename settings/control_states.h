#pragma once

#include <string>

#include "common/control_host.h"
#include "settings/profile_file.h"

namespace suantiji {

// programFolder + "/data/config.abc": the file the window's states live in.
std::string SettingsFilePath(const std::string& programFolder);
// Makes sure programFolder + "/data" exists and returns programFolder + "/data/setsoft.ini".
// The steps fall back to it when they are given an empty path.
std::string DefaultSettingsPath(const std::string& programFolder);

// Reads the file once and applies the radio button, check box, edit box and combo box steps.
// A missing or unreadable file leaves every control as it is.
void RestoreControlStates(ControlHost& host, const std::string& settingsPath);
// Applies the four save steps (the printer list excluded) to the file's contents in memory and
// replaces the file in one step. Failures are silent; an existing file that cannot be read is
// left alone rather than overwritten.
void SaveControlStates(ControlHost& host, const std::string& settingsPath);

// The same on a profile already in memory.
void RestoreControlStates(ControlHost& host, const ProfileFile& profile);
void SaveControlStates(ControlHost& host, ProfileFile& profile);

// The eight steps, each on its own file: read, or read, change and write back. With the
// default path above they complete the interface as it is specified; only tests call them
// for now.
void RestoreRadioButtonStates(ControlHost& host, const std::string& settingsPath);
void RestoreCheckBoxStates(ControlHost& host, const std::string& settingsPath);
void RestoreEditBoxStates(ControlHost& host, const std::string& settingsPath);
void RestoreComboBoxStates(ControlHost& host, const std::string& settingsPath);
void SaveRadioButtonStates(ControlHost& host, const std::string& settingsPath,
                           const std::string& exclusionList = {});
void SaveCheckBoxStates(ControlHost& host, const std::string& settingsPath,
                        const std::string& exclusionList = {});
void SaveEditBoxStates(ControlHost& host, const std::string& settingsPath,
                       const std::string& exclusionList = {});
void SaveComboBoxStates(ControlHost& host, const std::string& settingsPath,
                        const std::string& exclusionList = {});

// The value encodings of the edit box and combo box keys.
std::string EncodeEditText(const std::string& content);
std::string DecodeEditText(const std::string& value);

}  // namespace suantiji
