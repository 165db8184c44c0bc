#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "common/program_folder.h"
#include "output/font_substitutes.h"
#include "ui/main_window.h"
#include "ui/qt_translations.h"

namespace {

int g_signalPipe[2] = {-1, -1};
QtMessageHandler g_qtMessages = nullptr;

void onTerminate(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = write(g_signalPipe[1], &byte, 1);
}

// A logout or `kill` is written down at once and taken up by the window once it exists.
void catchTermination() {
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) return;
    struct sigaction action {};
    action.sa_handler = onTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

// Closes the window like its close button does, so the choices are saved, and ends the program
// even when a message box or dialog is open.
void closeOnTermination(QWidget& window) {
    if (g_signalPipe[0] < 0) return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window, notifier] {
        char byte = 0;
        [[maybe_unused]] const auto got = read(g_signalPipe[0], &byte, 1);
        notifier->setEnabled(false);
        window.close();
        QApplication::quit();
    });
}

// Qt ends a program it cannot show a window for with an abort and the advice to reinstall.
// Until the window system is reached, say what is wrong instead and end normally.
void onQtMessageAtStart(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtFatalMsg) {
        g_qtMessages(type, context, text);
        return;
    }
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        std::fputs("suantiji: no display to show the window on: DISPLAY is not set\n", stderr);
    } else {
        std::fprintf(stderr, "suantiji: cannot show the window on display %s\n", display);
    }
    std::_Exit(1);
}

}  // namespace

int main(int argc, char* argv[]) {
    catchTermination();
    g_qtMessages = qInstallMessageHandler(onQtMessageAtStart);
    QApplication app(argc, argv);
    qInstallMessageHandler(g_qtMessages);
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
    closeOnTermination(window);
    window.show();
    const int status = QApplication::exec();
    // The choices are saved. A print job being handed over gets a moment to finish; a thread
    // still waiting on a print server that does not answer is left behind, and with it the
    // teardown that would wait for it.
    if (!window.FinishPrintSystemCalls(std::chrono::seconds(1))) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
