// Saving the default sheet of 100 questions, made by the real window offscreen, as each kind of
// file: from the click to the written file, with a dialog that answers at once.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QPushButton>
#include <QTemporaryDir>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "bench/support/quiet_window.h"
#include "common/save_dialog.h"
#include "output/save_picture.h"
#include "output/table_widget.h"
#include "output/window_capture.h"
#include "ui/main_window.h"

namespace {

using suantiji::bench::NoPrinters;
using suantiji::bench::SilentMessages;

class AnsweringDialog : public suantiji::SaveFileDialog {
public:
    std::optional<std::string> Show(const suantiji::SaveDialogOptions&) override { return path; }
    std::string path;
};

class NoOpener : public suantiji::FileOpener {
public:
    void Open(const std::string&) override {}
};

// The window with its default choices and one generated sheet, in a folder of its own.
struct SheetWindow {
    SheetWindow() {
        services.messages = &messages;
        services.spooler = &spooler;
        services.saveDialog = &dialog;
        services.opener = &opener;
        services.programFolder = folder.path().toStdString();
        window = std::make_unique<suantiji::MainWindow>(services);
        window->show();
        window->findChild<QPushButton*>(QStringLiteral("按钮_出题"))->click();
    }

    QTemporaryDir folder;
    SilentMessages messages;
    NoPrinters spooler;
    AnsweringDialog dialog;
    NoOpener opener;
    suantiji::MainWindowServices services;
    std::unique_ptr<suantiji::MainWindow> window;
};

// Argument: 0 BMP, 1 PNG, 2 PDF. Reports the file's size.
void BM_SaveSheet(benchmark::State& state) {
    static const char* const kNames[] = {"/sheet.bmp", "/sheet.png", "/sheet.pdf"};
    SheetWindow sheet;
    sheet.dialog.path = sheet.folder.path().toStdString() + kNames[state.range(0)];
    for (auto _ : state) sheet.window->SaveSheetPicture();
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(sheet.dialog.path));
}
BENCHMARK(BM_SaveSheet)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

void BM_CaptureOnly(benchmark::State& state) {
    SheetWindow sheet;
    for (auto _ : state) {
        benchmark::DoNotOptimize(suantiji::CaptureWindowImage(sheet.window->tableWidget()));
    }
}
BENCHMARK(BM_CaptureOnly)->Unit(benchmark::kMillisecond);

void BM_WriteOnly(benchmark::State& state) {
    const std::vector<std::uint8_t> picture(58 + 1045 * 735 * 4, 0x7F);
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/sheet.bmp";
    for (auto _ : state) benchmark::DoNotOptimize(suantiji::WritePictureFile(path, picture));
}
BENCHMARK(BM_WriteOnly)->Unit(benchmark::kMillisecond);

}  // namespace
