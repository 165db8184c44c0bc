#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <csignal>

#include "common/program_folder.h"
#include "output/font_substitutes.h"
#include "ui/main_window.h"
#include "ui/qt_translations.h"

namespace {

int g_signalPipe[2] = {-1, -1};

void onTerminate(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = write(g_signalPipe[1], &byte, 1);
}

// A logout or `kill` closes the window like its close button does, so the choices are saved.
void closeOnTerminate(QWidget& window) {
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window, notifier] {
        char byte = 0;
        [[maybe_unused]] const auto got = read(g_signalPipe[0], &byte, 1);
        notifier->setEnabled(false);
        window.close();
    });
    struct sigaction action {};
    action.sa_handler = onTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("suantiji"));
    QApplication::setDesktopFileName(QStringLiteral("suantiji"));
    suantiji::InstallFontSubstitutes();
    suantiji::InstallChineseQtTexts();

    suantiji::MainWindowServices services;
    services.programFolder = suantiji::ProgramFolder();
    // Relative paths, like those a save dialog may hand back, start in the program folder.
    if (chdir(services.programFolder.c_str()) != 0) {
        // Not fatal: every path the program forms itself is absolute.
    }
    suantiji::MainWindow window(services);
    closeOnTerminate(window);
    window.show();
    return QApplication::exec();
}
