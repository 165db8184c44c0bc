#pragma once

#include <QImage>
#include <cstdint>
#include <vector>

class QWidget;

namespace suantiji {

// The control as it is drawn on screen, its border included, at its current size, in 32-bit
// RGB. A null image for a null or empty widget.
QImage CaptureWindowImage(QWidget* window);

// A 32-bit RGB image as a complete BMP file; empty bytes for a null image.
std::vector<std::uint8_t> BmpFileOf(const QImage& image);

// The capture as a complete 32-bit BMP file. Empty bytes for a null or empty widget.
std::vector<std::uint8_t> CaptureWindowBitmap(QWidget* window);

}  // namespace suantiji
