#include "ui/window_placement.h"

#include <gtest/gtest.h>

namespace suantiji {
namespace {

TEST(PlaceWindow, CentresTheFrameWhereItFitsAndShrinksTheClientWhereItDoesNot) {
    const QSize design(1428, 767);
    const QMargins titleBar(1, 20, 1, 1);
    struct Case {
        QRect available;
        QMargins frame;
        QRect client;
    };
    for (const Case& c : {
             // The frame, 1430 x 788, is centred: the client sits lower by half the title bar.
             Case{{0, 0, 1600, 1000}, titleBar, {86, 126, 1428, 767}},
             // Too small both ways: the frame fills the area.
             Case{{0, 0, 1366, 768}, titleBar, {1, 20, 1364, 747}},
             // A panel above the free area; the width fits and stays centred.
             Case{{0, 27, 1440, 693}, {}, {6, 27, 1428, 693}},
             // A second screen to the right of the first.
             Case{{1920, 0, 1280, 720}, titleBar, {1921, 20, 1278, 699}},
             // A screen that reports no free area.
             Case{{}, titleBar, {1, 20, 1428, 767}},
         }) {
        EXPECT_EQ(PlaceWindow(c.available, design, c.frame), c.client) << c.available.width();
    }
}

}  // namespace
}  // namespace suantiji
