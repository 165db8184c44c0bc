#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFont>
#include <QFrame>
#include <QPainter>
#include <QTemporaryDir>
#include <vector>

#include "output/bmp_encoder.h"
#include "output/save_picture.h"
#include "output/window_capture.h"

namespace {

// Draws what a laid-out sheet shows: a framed 1045 × 735 control, a header line, grid lines
// and a hundred questions with answers.
class SheetLike : public QFrame {
public:
    SheetLike() {
        setFrameStyle(QFrame::Box | QFrame::Plain);
        resize(1045, 735);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QFrame::paintEvent(event);
        QPainter painter(this);
        painter.fillRect(rect().adjusted(1, 1, -1, -1), Qt::white);
        painter.setPen(QColor(0xC0, 0xC0, 0xC0));
        for (int y = 50; y < height(); y += 34) painter.drawLine(0, y, width(), y);
        for (int x = 5; x < width(); x += 160) painter.drawLine(x, 50, x, height());
        painter.setPen(Qt::black);
        QFont font(QStringLiteral("黑体"));
        font.setPixelSize(16);
        painter.setFont(font);
        painter.drawText(QRect(5, 0, width() - 10, 50), Qt::AlignVCenter,
                         QStringLiteral("     题目数：100    姓名：      年级：   班级：   "
                                        "用时：    得分：    日期：2026/12/7 星期一 09:05:03"));
        for (int row = 0; row < 20; ++row) {
            for (int column = 0; column < 5; ++column) {
                painter.drawText(QRect(5 + column * 160, 50 + row * 34, 130, 34), Qt::AlignVCenter,
                                 QStringLiteral("12+5×(3-2)="));
            }
        }
    }
};

void BM_CaptureEncodeWrite(benchmark::State& state) {
    SheetLike sheet;
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/sheet.bmp";
    for (auto _ : state) {
        const std::vector<std::uint8_t> picture = suantiji::CaptureWindowBitmap(&sheet);
        benchmark::DoNotOptimize(suantiji::WritePictureFile(path, picture));
    }
}
BENCHMARK(BM_CaptureEncodeWrite)->Unit(benchmark::kMillisecond);

void BM_CaptureOnly(benchmark::State& state) {
    SheetLike sheet;
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

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
