#pragma once

#include <optional>
#include <string>
#include <vector>

namespace suantiji {

// How the save dialog is set up for one use.
struct SaveDialogOptions {
    std::string folder;                // where it starts
    std::string proposedName;          // file name without folder
    std::vector<std::string> filters;  // name filters, the first one selected
};

// The modal save-file dialog. The window passes the real one; tests choose the answer.
class SaveFileDialog {
public:
    virtual ~SaveFileDialog() = default;
    // The full path the user confirmed, or nothing when the dialog was cancelled.
    virtual std::optional<std::string> Show(const SaveDialogOptions& options) = 0;
};

// Opens a file with the desktop's default program for it.
class FileOpener {
public:
    virtual ~FileOpener() = default;
    virtual void Open(const std::string& path) = 0;
};

}  // namespace suantiji
