#pragma once

#include <QIcon>

namespace suantiji {

// The program's icon in 16, 32, 48 and 64 pixels.
QIcon AppIcon();

}  // namespace suantiji
