#pragma once

#include <QFileDialog>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace suantiji {

// How the save dialog is set up for one use.
struct SaveDialogOptions {
    std::string folder;        // where it starts
    std::string proposedName;  // file name without folder
    std::string filter;        // the single name filter
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

// A Qt file dialog (not the desktop's own, so it behaves alike everywhere): save mode, no
// default extension, asks before overwriting, accepts only names in an existing folder.
class QtSaveFileDialog : public SaveFileDialog {
public:
    explicit QtSaveFileDialog(QWidget* parent = nullptr);
    std::optional<std::string> Show(const SaveDialogOptions& options) override;

private:
    QWidget* m_parent;
};

// The dialog QtSaveFileDialog shows. A name in a folder that does not exist is not accepted:
// the dialog stays open rather than handing back a path that cannot be written.
class PictureFileDialog : public QFileDialog {
public:
    PictureFileDialog(QWidget* parent, const SaveDialogOptions& options);
    void accept() override;
};

// QDesktopServices::openUrl, which hands the file to xdg-open on Linux.
class DesktopFileOpener : public FileOpener {
public:
    void Open(const std::string& path) override;
};

// Writes the bytes to the path, replacing an existing file only once all of them are written.
// False when the file could not be written; no message either way.
bool WritePictureFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

// The click of the "save as picture" button: makes sure the records folder exists, captures the
// table as it is now, lets the user confirm a name, writes the picture and opens it. Without a
// picture nothing is offered; a file that could not be written is not opened.
void SaveSheetPicture(QWidget* table, const std::string& programFolder,
                      const std::string& sheetTimestamp, SaveFileDialog& dialog,
                      FileOpener& opener);

}  // namespace suantiji
