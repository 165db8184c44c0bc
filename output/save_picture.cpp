#include "output/save_picture.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <utility>

#include "common/file_replace.h"
#include "common/program_folder.h"
#include "output/bmp_encoder.h"
#include "output/print_sheet.h"
#include "output/qt_path.h"
#include "output/table_model.h"
#include "output/table_widget.h"
#include "output/window_capture.h"

namespace suantiji {

namespace {

// The PDF page's margins: what an ordinary printer cannot reach, so the page prints whole.
constexpr double kPdfMarginMillimetres = 5;

std::vector<std::uint8_t> bytesOf(const QByteArray& bytes) { return {bytes.begin(), bytes.end()}; }

std::vector<std::uint8_t> pngFileOf(QImage image) {
    if (image.isNull()) return {};
    // Qt writes a pHYs chunk for any positive resolution and refuses to set it to 0; without
    // one the file holds the pixels and nothing else, as the BMP does. (On a shared image this
    // copies every pixel first.)
    image.setDotsPerMeterX(-1);
    image.setDotsPerMeterY(-1);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly)) return {};
    // zlib's default level: a default sheet takes 64 KB in 26 ms here; the fastest level saves
    // 10 ms for a file a tenth larger.
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image)) return {};
    return bytesOf(bytes);
}

std::vector<std::uint8_t> pdfFileOf(const TableModel& sheet) {
    // Printed as PrintSheet prints: no print layout of its own.
    TableModel page = sheet;
    page.SetChangeListener({});
    ClearPrintLayout(page);

    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly)) return {};
    QPdfWriter writer(&buffer);
    const QMarginsF margins(kPdfMarginMillimetres, kPdfMarginMillimetres, kPdfMarginMillimetres,
                            kPdfMarginMillimetres);
    if (!writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, margins,
                                          QPageLayout::Millimeter))) {
        return {};
    }
    QPainter painter;
    if (!painter.begin(&writer)) return {};
    const bool complete = PrintTable(page, painter, writer);
    if (!painter.end() || !complete) return {};
    return bytesOf(bytes);
}

}  // namespace

int WritePictureFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    return ReplaceFile(path, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

std::string PictureFolder(const std::string& programFolder) {
    // A folder Qt cannot name would have the dialog open somewhere unrelated.
    const std::string folder = RecordsFolder(programFolder);
    if (QtCanName(folder)) return folder;
    const std::string perUser = PerUserFolder();
    return perUser.empty() ? folder : RecordsFolder(perUser);
}

std::vector<std::uint8_t> EncodeSheetPicture(PictureKind kind, QImage capture,
                                             const TableModel& sheet) {
    switch (kind) {
        case PictureKind::Png:
            return pngFileOf(std::move(capture));
        case PictureKind::Pdf:
            return pdfFileOf(sheet);
        case PictureKind::Bmp:
            break;
    }
    return BmpFileOf(capture);
}

void SaveSheetPicture(TableWidget* table, const std::string& programFolder,
                      const std::string& sheetTimestamp, SaveFileDialog& dialog, FileOpener& opener,
                      MessageBox& messages) {
    const std::string folder = PictureFolder(programFolder);
    if (!IsFolder(folder)) MakeFolder(folder);

    // Both taken before the dialog exists, so no kind of file shows the dialog over the sheet
    // or anything changed while it was open.
    QImage capture = CaptureWindowImage(table);
    // Nothing to save: an empty file would only replace a good one with one no viewer reads.
    if (capture.isNull()) return;
    const TableModel sheet = table->model();

    const std::optional<std::string> path =
        dialog.Show({folder, ProposedPictureName(sheetTimestamp), PictureFilters()});
    if (!path) return;

    const std::vector<std::uint8_t> file =
        EncodeSheetPicture(PictureKindOf(*path), std::move(capture), sheet);
    const int error = file.empty() ? 0 : WritePictureFile(*path, file);
    if (file.empty() || error != 0) {
        // The dialog has closed as it does after a save: say that this one failed, and why.
        const std::string why = file.empty() ? "无法生成图片" : WriteErrorText(error);
        messages.Show(kMessageCaption, "图片没有保存：" + why + "。", MessageIcon::Error);
        return;
    }
    opener.Open(*path);
}

}  // namespace suantiji
