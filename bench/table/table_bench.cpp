#include <benchmark/benchmark.h>
#include <QImage>
#include <QPainter>

#include <cstdlib>

#include "output/print_sheet.h"
#include "output/table_painter.h"
#include "tests/output/table_test_support.h"

namespace suantiji {
namespace {

// Painting a laid-out 21 × 13 sheet, as the widget and the picture do (budget: 5 ms).
void BM_PaintSheet(benchmark::State& state) {
    TableModel model;
    testing::LayOutSheet(model);
    QImage image(model.ControlWidth(), model.ControlHeight(), QImage::Format_RGB32);
    const QFont defaultFont = DefaultCellFont();
    for (auto _ : state) {
        image.fill(Qt::lightGray);
        QPainter painter(&image);
        painter.translate(2, 2);
        PaintTableRows(painter, model, 0, model.RowCount() - 1, defaultFont);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_PaintSheet)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly();

// Handing a one-page sheet to CUPS through PrintSheet (budget: 1.5 s). Needs the test printer.
void BM_PrintSheet(benchmark::State& state) {
    unsetenv("PRINTER");
    unsetenv("LPDEST");
    TableModel model;
    testing::LayOutSheet(model);
    for (auto _ : state) {
        if (PrintSheet(model, nullptr) != PrintOutcome::Printed) {
            state.SkipWithError("no job was sent: is the test printer running?");
            break;
        }
    }
}
BENCHMARK(BM_PrintSheet)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly();

}  // namespace
}  // namespace suantiji
