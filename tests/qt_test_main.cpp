// Entry point of the test executables that need a QApplication.
#include <gtest/gtest.h>

#include <QApplication>

#include "output/font_substitutes.h"

int main(int argc, char** argv) {
    // Test discovery runs without the tests' environment: never look for a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    suantiji::InstallFontSubstitutes();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
