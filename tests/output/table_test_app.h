#pragma once

#include <QApplication>

#include "output/font_substitutes.h"

namespace suantiji::testing {

// One application per test process, with the Chinese faces mapped before anything is drawn.
inline void EnsureApplication() {
    if (QApplication::instance() != nullptr) return;
    static int argc = 1;
    static char name[] = "table_tests";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    InstallFontSubstitutes();
}

}  // namespace suantiji::testing
