// Runs against the test printer of scripts/test-printer.sh: SheetPDF-1 and SheetPDF-2, the
// second the server's default.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "output/cups_spooler.h"
#include "output/printer_choice.h"
#include "tests/settings/fake_control_host.h"

namespace suantiji {
namespace {

std::string run(const std::string& command) {
    std::string out;
    FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) return out;
    std::array<char, 512> buffer{};
    while (std::fgets(buffer.data(), static_cast<int>(buffer.size()), pipe) != nullptr) {
        out += buffer.data();
    }
    ::pclose(pipe);
    return out;
}

// What `lpstat -d` names as the default, or "" when it names none.
std::string lpstatDefault() {
    const std::string out = run("lpstat -d");
    const std::string marker = "system default destination: ";
    const auto at = out.find(marker);
    if (at == std::string::npos) return {};
    return out.substr(at + marker.size(), out.find('\n', at) - at - marker.size());
}

std::vector<std::string> lpstatDestinations() {
    std::istringstream lines(run("lpstat -e"));
    std::vector<std::string> names;
    for (std::string line; std::getline(lines, line);) names.push_back(line);
    return names;
}

std::string userLpoptionsPath() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        const passwd* entry = ::getpwuid(::getuid());
        home = entry ? entry->pw_dir : "/";
    }
    return std::string(home) + "/.cups/lpoptions";
}

class MessageLog : public MessageBox {
public:
    void Show(const std::string&, const std::string& text, MessageIcon) override {
        texts.push_back(text);
    }
    std::vector<std::string> texts;
};

// Each test starts from the server's default and leaves the user's lpoptions and the
// environment as it found them.
class CupsSpoolerTest : public testing::Test {
protected:
    void SetUp() override {
        const auto dests = lpstatDestinations();
        if (std::find(dests.begin(), dests.end(), "SheetPDF-1") == dests.end() ||
            std::find(dests.begin(), dests.end(), "SheetPDF-2") == dests.end()) {
            GTEST_SKIP() << "the test printer is not running (scripts/test-printer.sh start)";
        }
        for (const char* name : {"PRINTER", "LPDEST"}) {
            if (const char* value = std::getenv(name)) m_environment.emplace_back(name, value);
            ::unsetenv(name);
        }
        m_lpoptions = userLpoptionsPath();
        m_hadFolder = std::filesystem::exists(std::filesystem::path(m_lpoptions).parent_path());
        if (std::filesystem::exists(m_lpoptions)) {
            std::ifstream in(m_lpoptions, std::ios::binary);
            m_savedLpoptions.emplace(std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>());
            std::filesystem::remove(m_lpoptions);
        }
    }

    void TearDown() override {
        std::error_code ignored;
        if (m_savedLpoptions) {
            std::ofstream(m_lpoptions, std::ios::binary | std::ios::trunc) << *m_savedLpoptions;
        } else if (!m_lpoptions.empty()) {
            std::filesystem::remove(m_lpoptions, ignored);
            if (!m_hadFolder) {
                std::filesystem::remove(std::filesystem::path(m_lpoptions).parent_path(), ignored);
            }
        }
        for (const auto& [name, value] : m_environment) ::setenv(name.c_str(), value.c_str(), 1);
    }

    std::string m_lpoptions;
    bool m_hadFolder = false;
    std::optional<std::string> m_savedLpoptions;
    std::vector<std::pair<std::string, std::string>> m_environment;
    CupsSpooler m_spooler;
};

TEST_F(CupsSpoolerTest, ListsQueuesAsCupsReportsThemWithTheServerDefault) {
    EXPECT_EQ(m_spooler.ListPrinters(), lpstatDestinations());
    EXPECT_EQ(m_spooler.DefaultPrinterName(), "SheetPDF-2");
    EXPECT_EQ(lpstatDefault(), "SheetPDF-2");
}

TEST_F(CupsSpoolerTest, ChangeIsTheUsersDefaultForEveryProgram) {
    ASSERT_TRUE(m_spooler.ChangeDefaultPrinter("SheetPDF-1"));
    EXPECT_EQ(lpstatDefault(), "SheetPDF-1");
    EXPECT_EQ(m_spooler.DefaultPrinterName(), "SheetPDF-1");
    EXPECT_TRUE(std::filesystem::exists(m_lpoptions));

    ASSERT_TRUE(m_spooler.ChangeDefaultPrinter("SheetPDF-2"));
    EXPECT_EQ(lpstatDefault(), "SheetPDF-2");
}

TEST_F(CupsSpoolerTest, UnknownOrEmptyNameIsRefusedAndKeepsTheDefault) {
    EXPECT_FALSE(m_spooler.ChangeDefaultPrinter(""));
    EXPECT_FALSE(m_spooler.ChangeDefaultPrinter("NoSuchQueue"));
    EXPECT_FALSE(m_spooler.ChangeDefaultPrinter("/x"));
    EXPECT_EQ(lpstatDefault(), "SheetPDF-2");
    EXPECT_FALSE(std::filesystem::exists(m_lpoptions));
}

TEST_F(CupsSpoolerTest, DefaultHonoursLpoptionsAndTheEnvironment) {
    std::filesystem::create_directories(std::filesystem::path(m_lpoptions).parent_path());
    std::ofstream(m_lpoptions) << "Default SheetPDF-1\n";
    EXPECT_EQ(m_spooler.DefaultPrinterName(), "SheetPDF-1");
    EXPECT_EQ(m_spooler.DefaultPrinterName(), lpstatDefault());

    ::setenv("PRINTER", "SheetPDF-2", 1);
    EXPECT_EQ(m_spooler.DefaultPrinterName(), "SheetPDF-2");
    EXPECT_EQ(m_spooler.DefaultPrinterName(), lpstatDefault());
    ::unsetenv("PRINTER");

    // An instance as the default: the list shows queues, so its queue is preselected.
    std::ofstream(m_lpoptions) << "Dest SheetPDF-1/draft sides=one-sided\n"
                                  "Default SheetPDF-1/draft\n";
    EXPECT_EQ(m_spooler.DefaultPrinterName(), "SheetPDF-1/draft");
    FakeControlHost host;
    host.AddComboBox(control::kPrinters, {}, -1);
    FillPrinterList(host, m_spooler);
    EXPECT_EQ(host.ContentText(control::kPrinters), "SheetPDF-1");
}

TEST_F(CupsSpoolerTest, ButtonMakesTheChosenQueueTheDefault) {
    FakeControlHost host;
    host.AddComboBox(control::kPrinters, {}, -1);
    FillPrinterList(host, m_spooler);
    EXPECT_EQ(host.ContentText(control::kPrinters), "SheetPDF-2");

    host.SetCurrentIndex(control::kPrinters, 0);
    MessageLog messages;
    ApplyPrinterChoice(host, m_spooler, messages);
    EXPECT_EQ(messages.texts, std::vector<std::string>{"默认打印机设置成功！"});
    EXPECT_EQ(lpstatDefault(), "SheetPDF-1");
}

TEST_F(CupsSpoolerTest, ButtonReportsFailureWhenTheEnvironmentOutranksTheChoice) {
    for (const char* variable : {"PRINTER", "LPDEST"}) {
        ::setenv(variable, "SheetPDF-2", 1);
        FakeControlHost host;
        host.AddComboBox(control::kPrinters, {}, -1);
        FillPrinterList(host, m_spooler);
        host.SetCurrentIndex(control::kPrinters, 0);
        ASSERT_EQ(host.ContentText(control::kPrinters), "SheetPDF-1");
        MessageLog messages;
        ApplyPrinterChoice(host, m_spooler, messages);
        EXPECT_EQ(messages.texts, std::vector<std::string>{"默认打印机设置失败！"}) << variable;
        EXPECT_EQ(lpstatDefault(), "SheetPDF-2") << variable;
        ::unsetenv(variable);
    }
}

}  // namespace
}  // namespace suantiji
