#include <QApplication>

#include "output/font_substitutes.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    suantiji::InstallFontSubstitutes();
    return 0;
}
