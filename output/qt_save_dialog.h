#pragma once

#include <QFileDialog>

#include "common/save_dialog.h"

namespace suantiji {

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

}  // namespace suantiji
