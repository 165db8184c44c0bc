#pragma once

#include <cstdint>
#include <vector>

class QWidget;

namespace suantiji {

// The control as it is drawn on screen, its border included, at its current size, as a
// complete 32-bit BMP file. Empty bytes for a null or empty widget.
std::vector<std::uint8_t> CaptureWindowBitmap(QWidget* window);

}  // namespace suantiji
