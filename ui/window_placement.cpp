#include "ui/window_placement.h"

#include <algorithm>

namespace suantiji {

namespace {

struct Span {
    int start;
    int length;
};

// One direction: the client's span, given the area's span and the frame's parts before and
// after the client.
Span place(Span area, int client, int before, int after) {
    const int frame = before + client + after;
    if (frame <= area.length) return {area.start + (area.length - frame) / 2 + before, client};
    return {area.start + before, std::max(1, area.length - before - after)};
}

}  // namespace

QRect PlaceWindow(const QRect& available, const QSize& client, const QMargins& frame) {
    // A screen that reports no free area says nothing about its size: keep the design.
    if (available.isEmpty()) {
        return {available.topLeft() + QPoint(frame.left(), frame.top()), client};
    }
    const Span x =
        place({available.x(), available.width()}, client.width(), frame.left(), frame.right());
    const Span y =
        place({available.y(), available.height()}, client.height(), frame.top(), frame.bottom());
    return {x.start, y.start, x.length, y.length};
}

}  // namespace suantiji
