#include "output/window_capture.h"

#include <QWidget>
#include <bit>
#include <span>

#include "output/bmp_encoder.h"

namespace suantiji {

// RGB32 keeps each pixel as 0xffRRGGBB; in memory that is blue, green, red, 0xff only on a
// little-endian machine, which is the BMP byte order.
static_assert(std::endian::native == std::endian::little);

QImage CaptureWindowImage(QWidget* window) {
    if (window == nullptr) return {};
    const QSize size = window->size();
    if (size.isEmpty()) return {};

    // Rendering rather than grabbing the screen works for covered, hidden or offscreen widgets,
    // and a device pixel ratio of 1 keeps the picture at the control's own pixel size.
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) return {};
    image.fill(window->palette().window().color());
    window->render(&image, QPoint(), QRegion(),
                   QWidget::DrawWindowBackground | QWidget::DrawChildren);
    return image;
}

std::vector<std::uint8_t> BmpFileOf(const QImage& image) {
    if (image.isNull() || image.format() != QImage::Format_RGB32) return {};
    const std::span<const std::uint8_t> pixels(image.constBits(),
                                               static_cast<std::size_t>(image.sizeInBytes()));
    return EncodeBmp(image.width(), image.height(), 32, pixels,
                     static_cast<std::size_t>(image.bytesPerLine()));
}

std::vector<std::uint8_t> CaptureWindowBitmap(QWidget* window) {
    return BmpFileOf(CaptureWindowImage(window));
}

}  // namespace suantiji
