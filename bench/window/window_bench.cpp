// From the click on the generate button to the laid-out, painted sheet, with the default
// choices, through the real window offscreen.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QImage>
#include <QPushButton>
#include <filesystem>

#include "bench/support/quiet_window.h"
#include "output/table_widget.h"
#include "ui/main_window.h"

namespace {

using suantiji::bench::NoPrinters;
using suantiji::bench::SilentMessages;

void BM_GenerateButtonToPaintedSheet(benchmark::State& state) {
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("suantiji-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    SilentMessages messages;
    NoPrinters spooler;
    suantiji::MainWindowServices services;
    services.messages = &messages;
    services.spooler = &spooler;
    services.programFolder = folder.string();
    {
        suantiji::MainWindow window(services);
        window.show();
        auto* button = window.findChild<QPushButton*>(QStringLiteral("按钮_出题"));
        QImage canvas(window.tableWidget()->size(), QImage::Format_RGB32);
        for (auto _ : state) {
            button->click();
            window.tableWidget()->render(&canvas);
        }
    }
    fs::remove_all(folder);
}
BENCHMARK(BM_GenerateButtonToPaintedSheet)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
