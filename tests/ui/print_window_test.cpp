// The window's printing over the real CUPS client: a print server that never answers, and a
// queue that refuses jobs. The second needs the test printer (scripts/test-printer.sh).
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "output/print_sheet.h"
#include "output/printer_choice.h"
#include "output/table_model.h"
#include "tests/support/recording_message_box.h"
#include "ui/main_window.h"

namespace suantiji {
namespace {

namespace fs = std::filesystem;

// A print server that never answers: its connections wait in the listening socket's backlog,
// connected, and nothing is ever read or written.
class StallingServer {
public:
    explicit StallingServer(const std::string& path) : m_path(path) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        m_socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const auto* generic = reinterpret_cast<const sockaddr*>(&address);
        if (::bind(m_socket, generic, sizeof address) != 0 || ::listen(m_socket, 128) != 0) {
            ADD_FAILURE() << "no stalling server at " << path;
        }
    }
    ~StallingServer() {
        ::close(m_socket);
        ::unlink(m_path.c_str());
    }

private:
    std::string m_path;
    int m_socket = -1;
};

class PrintWindowTest : public testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() / ("suantiji-print-" + std::to_string(::getpid()));
        fs::create_directories(m_folder);
        ::unsetenv("PRINTER");
        ::unsetenv("LPDEST");
    }
    void TearDown() override {
        m_window.reset();
        fs::remove_all(m_folder);
        ::unsetenv("CUPS_SERVER");
        ::unsetenv("PRINTER");
    }

    // The real print system; never a print dialog.
    void openWindow() {
        MainWindowServices services;
        services.messages = &m_messages;
        services.programFolder = m_folder.string();
        services.askForPrinter = [](QPrinter&) { return false; };
        m_window = std::make_unique<MainWindow>(services);
    }

    // Lets answers come in until `count` messages have been shown or 10 s have passed.
    void waitForMessages(std::size_t count) {
        QElapsedTimer timer;
        timer.start();
        while (m_messages.shown.size() < count && timer.elapsed() < 10000) QTest::qWait(20);
    }

    fs::path m_folder;
    RecordingMessageBox m_messages;
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(PrintWindowTest, ServerThatNeverAnswersNeitherHoldsUpTheWindowNorPassesForSuccess) {
    StallingServer server(m_folder.string() + "/stall.sock");
    ::setenv("CUPS_SERVER", (m_folder.string() + "/stall.sock").c_str(), 1);
    QElapsedTimer timer;
    timer.start();
    openWindow();
    EXPECT_LT(timer.elapsed(), 3000);
    ASSERT_TRUE(m_window->GenerateSheet());
    const std::string first = m_window->table().GetCellText(1, 1);

    EXPECT_EQ(m_window->controls().ItemCount(control::kPrinters),
              0);  // the server never listed any
    m_window->controls().AppendItem(control::kPrinters, "SheetPDF-1");
    m_window->controls().SetCurrentIndex(control::kPrinters, 0);
    timer.restart();
    m_window->PrintSheet();
    m_window->ApplyPrinterChoice();
    EXPECT_LT(timer.elapsed(), 500) << "the buttons waited for the server";
    waitForMessages(2);
    EXPECT_LT(timer.elapsed(), 6500);
    std::multiset<std::string> texts;
    for (const auto& shown : m_messages.shown) {
        EXPECT_EQ(shown.caption, "信息：");
        texts.insert(shown.text);
    }
    EXPECT_EQ(texts, (std::multiset<std::string>{kPrinterNoAnswer, kPrinterChoiceNoAnswer}));
    EXPECT_EQ(m_window->table().GetCellText(1, 1), first);
}

// A queue of the test's own that takes no jobs: the shared test queues stay as they are.
class RefusingQueue {
public:
    RefusingQueue() : m_name("SheetReject-" + std::to_string(::getpid())) {
        const std::string add = "lpadmin -p " + m_name +
                                " -E -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd"
                                " 2>/dev/null && cupsreject " +
                                m_name;
        m_added = std::system(add.c_str()) == 0;
    }
    ~RefusingQueue() {
        if (m_added) m_added = std::system(("lpadmin -x " + m_name).c_str()) == 0;
    }
    const std::string& name() const { return m_name; }
    bool added() const { return m_added; }

private:
    std::string m_name;
    bool m_added = false;
};

TEST_F(PrintWindowTest, JobTheQueueRefusesSaysTheSheetWasNotPrinted) {
    const RefusingQueue queue;
    if (!queue.added()) GTEST_SKIP() << "no test printer to add a queue to";
    ::setenv("PRINTER", queue.name().c_str(), 1);
    openWindow();
    ASSERT_TRUE(m_window->GenerateSheet());
    m_window->PrintSheet();
    waitForMessages(1);
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].caption, "信息：");
    EXPECT_EQ(m_messages.shown[0].text, kSheetNotPrinted);
}

}  // namespace
}  // namespace suantiji
