#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <vector>

#include "output/bmp_encoder.h"
#include "output/font_substitutes.h"
#include "output/save_picture.h"
#include "output/table_model.h"
#include "output/table_widget.h"
#include "output/window_capture.h"

namespace {

// The table as a full sheet leaves it: 1045 × 735 with a merged header, grid lines, a hundred
// questions and their answers in a Chinese face.
void layOutSheet(suantiji::TableModel& model) {
    const int widths[] = {5, 160, 160, 160, 160, 160, 80, 30, 30, 30, 30, 30, 5};
    for (int column = 0; column < 13; ++column) model.SetColumnWidth(column, widths[column]);
    model.SetRowHeight(0, 50);
    model.MergeCells({0, 1, 0, 6});
    model.MergeCells({0, 7, 0, 12});
    model.SetCellText(0, 1,
                      "     题目数：100    姓名：                      年级：         班级：     "
                      "    用时：          得分：          日期：2026/12/7 星期一 09:05:03");
    model.SetCellText(0, 7, "参考答案");
    model.SetFontFace({0, 0, model.RowCount() - 1, 12}, "黑体");
    model.SetFontHeight({1, 1, model.RowCount() - 1, 11}, 20);
    for (int row = 1; row < model.RowCount(); ++row) {
        for (int column = 1; column <= 5; ++column) {
            model.SetCellText(row, column, "12+5×(3-2)=");
            model.SetCellText(row, column + 6, "17");
        }
    }
    model.SetGridLineMode(suantiji::GridLines::Both);
    model.SetControlSize(1045, 735);
}

void BM_CaptureEncodeWrite(benchmark::State& state) {
    suantiji::TableModel model;
    layOutSheet(model);
    suantiji::TableWidget sheet(model);
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/sheet.bmp";
    for (auto _ : state) {
        const std::vector<std::uint8_t> picture = suantiji::CaptureWindowBitmap(&sheet);
        benchmark::DoNotOptimize(suantiji::WritePictureFile(path, picture));
    }
}
BENCHMARK(BM_CaptureEncodeWrite)->Unit(benchmark::kMillisecond);

void BM_CaptureOnly(benchmark::State& state) {
    suantiji::TableModel model;
    layOutSheet(model);
    suantiji::TableWidget sheet(model);
    for (auto _ : state) benchmark::DoNotOptimize(suantiji::CaptureWindowBitmap(&sheet));
}
BENCHMARK(BM_CaptureOnly)->Unit(benchmark::kMillisecond);

void BM_EncodeOnly(benchmark::State& state) {
    const std::vector<std::uint8_t> pixels(1045 * 735 * 4, 0x7F);
    for (auto _ : state) {
        benchmark::DoNotOptimize(suantiji::EncodeBmp(1045, 735, 32, pixels, 1045 * 4));
    }
}
BENCHMARK(BM_EncodeOnly)->Unit(benchmark::kMillisecond);

void BM_WriteOnly(benchmark::State& state) {
    const std::vector<std::uint8_t> picture(58 + 1045 * 735 * 4, 0x7F);
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/sheet.bmp";
    for (auto _ : state) benchmark::DoNotOptimize(suantiji::WritePictureFile(path, picture));
}
BENCHMARK(BM_WriteOnly)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    suantiji::InstallFontSubstitutes();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
