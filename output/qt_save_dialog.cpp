#include "output/qt_save_dialog.h"

#include <QDesktopServices>
#include <QUrl>

#include "output/qt_path.h"

namespace suantiji {

PictureFileDialog::PictureFileDialog(QWidget* parent, const SaveDialogOptions& options)
    : QFileDialog(parent) {
    // The desktop's own dialog differs between desktops and cannot be driven in tests.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setOption(QFileDialog::DontConfirmOverwrite, false);
    // A name typed without an extension is saved exactly as typed (as a BMP).
    setDefaultSuffix(QString());
    QStringList filters;
    for (const std::string& filter : options.filters) filters << QString::fromStdString(filter);
    setNameFilters(filters);
    setDirectory(QtPath(options.folder));
    selectFile(QtPath(options.proposedName));
}

QtSaveFileDialog::QtSaveFileDialog(QWidget* parent) : m_parent(parent) {}

std::optional<std::string> QtSaveFileDialog::Show(const SaveDialogOptions& options) {
    PictureFileDialog dialog(m_parent, options);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QString chosen = dialog.selectedFiles().value(0);
    if (chosen.isEmpty()) return std::nullopt;
    return BytePath(chosen);
}

void DesktopFileOpener::Open(const std::string& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(QtPath(path)));
}

}  // namespace suantiji
