#include <unistd.h>

#include <QApplication>

#include "common/program_folder.h"
#include "output/font_substitutes.h"
#include "ui/main_window.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("suantiji"));
    QApplication::setDesktopFileName(QStringLiteral("suantiji"));
    suantiji::InstallFontSubstitutes();

    suantiji::MainWindowServices services;
    services.programFolder = suantiji::ProgramFolder();
    // Relative paths, like those a save dialog may hand back, start in the program folder.
    if (chdir(services.programFolder.c_str()) != 0) {
        // Not fatal: every path the program forms itself is absolute.
    }
    suantiji::MainWindow window(services);
    window.show();
    return QApplication::exec();
}
