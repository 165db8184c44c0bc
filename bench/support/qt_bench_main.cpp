// Entry point of the benchmarks that need a QApplication.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "output/font_substitutes.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt sees the program's name only: the other arguments are the benchmark's.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    suantiji::InstallFontSubstitutes();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
