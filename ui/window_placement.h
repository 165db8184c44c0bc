#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

namespace suantiji {

// Where a window whose client area is `client` goes on a screen whose free area is `available`,
// its frame adding `frame` around the client. In each direction a frame that fits is centred;
// one that does not starts at the area's start (top-left first) and its client shrinks until the
// whole frame fits. An empty area keeps the client's size. The result is the client area in
// screen coordinates.
QRect PlaceWindow(const QRect& available, const QSize& client, const QMargins& frame);

}  // namespace suantiji
