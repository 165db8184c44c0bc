#pragma once

#include <QFileDialog>

#include "common/save_dialog.h"

namespace suantiji {

// A Qt file dialog (not the desktop's own, so it behaves alike everywhere): save mode, no
// default extension, asks before overwriting.
class QtSaveFileDialog : public SaveFileDialog {
public:
    explicit QtSaveFileDialog(QWidget* parent = nullptr);
    std::optional<std::string> Show(const SaveDialogOptions& options) override;

private:
    QWidget* m_parent;
};

// The dialog QtSaveFileDialog shows. A name in a folder that does not exist, or no longer does,
// is handed back like any other: the save then says why nothing was written.
class PictureFileDialog : public QFileDialog {
public:
    PictureFileDialog(QWidget* parent, const SaveDialogOptions& options);
};

// QDesktopServices::openUrl, which hands the file to xdg-open on Linux.
class DesktopFileOpener : public FileOpener {
public:
    void Open(const std::string& path) override;
};

}  // namespace suantiji
