#include "output/save_picture.h"

#include <QSaveFile>

#include "common/program_folder.h"
#include "output/bmp_encoder.h"
#include "output/window_capture.h"

namespace suantiji {

bool WritePictureFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    // Written beside the target and renamed over it, so a failed write (disk full, folder gone)
    // leaves an earlier picture of the same name whole.
    QSaveFile file(QString::fromStdString(path));
    // A replaceable file in a folder that takes no new files is still written in place.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(reinterpret_cast<const char*>(bytes.data()), size) != size) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void SaveSheetPicture(QWidget* table, const std::string& programFolder,
                      const std::string& sheetTimestamp, SaveFileDialog& dialog,
                      FileOpener& opener) {
    const std::string folder = RecordsFolder(programFolder);
    if (!IsFolder(folder)) MakeFolder(folder);

    // Taken before the dialog exists, so the picture never shows the dialog over the sheet.
    const std::vector<std::uint8_t> picture = CaptureWindowBitmap(table);
    // Nothing to save: an empty .bmp would only replace a good file with one no viewer reads.
    if (picture.empty()) return;

    const std::optional<std::string> path =
        dialog.Show({folder, ProposedPictureName(sheetTimestamp), "*.bmp"});
    if (!path) return;

    // Opening after a failed write would show an older file of that name, or an error.
    if (!WritePictureFile(*path, picture)) return;
    opener.Open(*path);
}

}  // namespace suantiji
