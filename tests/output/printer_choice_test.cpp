#include "output/printer_choice.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/settings/fake_control_host.h"
#include "tests/support/recording_message_box.h"

namespace suantiji {
namespace {

class FakeSpooler : public PrinterSpooler {
public:
    FakeSpooler(std::vector<std::string> printers, std::string defaultName)
        : m_printers(std::move(printers)), m_default(std::move(defaultName)) {}
    std::vector<std::string> ListPrinters() override { return m_printers; }
    std::string DefaultPrinterName() override { return m_default; }
    bool ChangeDefaultPrinter(const std::string& name) override {
        changes.push_back(name);
        for (const std::string& printer : m_printers) {
            if (printer != name) continue;
            m_default = name;
            return true;
        }
        return false;
    }
    std::vector<std::string> changes;

private:
    std::vector<std::string> m_printers;
    std::string m_default;
};

std::vector<std::string> printerItems(const FakeControlHost& host) {
    std::vector<std::string> texts;
    for (const auto& item : host.Items(control::kPrinters)) {
        EXPECT_EQ(item.value, 0);
        texts.push_back(item.text);
    }
    return texts;
}

FakeControlHost emptyPrinterList() {
    FakeControlHost host;
    host.AddComboBox(control::kPrinters, {}, -1);
    return host;
}

TEST(FillPrinterList, ListsPrintersInOrderAndSelectsTheDefaultOrTheQueueOfItsInstance) {
    for (const char* defaultName : {"Office", "Office/draft"}) {
        FakeControlHost host = emptyPrinterList();
        FakeSpooler spooler({"Lab", "Office", "Hall"}, defaultName);
        FillPrinterList(host, spooler);
        EXPECT_EQ(printerItems(host), (std::vector<std::string>{"Lab", "Office", "Hall"}));
        EXPECT_EQ(host.CurrentIndex(control::kPrinters), 1) << defaultName;
    }
}

TEST(FillPrinterList, SelectsNothingWithoutAnExactMatch) {
    for (const char* defaultName : {"office", "Office ", "", "Gone", "Offi/ce", "office/draft"}) {
        FakeControlHost host = emptyPrinterList();
        FakeSpooler spooler({"Lab", "Office"}, defaultName);
        FillPrinterList(host, spooler);
        EXPECT_EQ(host.CurrentIndex(control::kPrinters), -1) << defaultName;
    }
    FakeControlHost host = emptyPrinterList();
    FakeSpooler none({}, "Office");
    FillPrinterList(host, none);
    EXPECT_EQ(host.ItemCount(control::kPrinters), 0);
    EXPECT_EQ(host.CurrentIndex(control::kPrinters), -1);
}

TEST(FillPrinterList, AppendsAfterRestoredItemsAndSelectsAmongTheSystemsOnly) {
    FakeControlHost host;
    host.AddComboBox(control::kPrinters, {"Office", "Old"}, 1);
    FakeSpooler spooler({"Lab", "Office"}, "Office");
    FillPrinterList(host, spooler);
    EXPECT_EQ(printerItems(host), (std::vector<std::string>{"Office", "Old", "Lab", "Office"}));
    EXPECT_EQ(host.CurrentIndex(control::kPrinters), 3);
}

TEST(ApplyPrinterChoice, ReportsTheOutcomeAndChangesNothingElse) {
    FakeControlHost host = emptyPrinterList();
    FakeSpooler spooler({"Lab", "Office"}, "Office");
    FillPrinterList(host, spooler);
    host.SetCurrentIndex(control::kPrinters, 0);
    RecordingMessageBox messages;
    ApplyPrinterChoice(host, spooler, messages);

    host.ClearItems(control::kPrinters);
    host.AppendItem(control::kPrinters, "Gone");
    host.SetCurrentIndex(control::kPrinters, 0);
    ApplyPrinterChoice(host, spooler, messages);
    EXPECT_EQ(host.CurrentIndex(control::kPrinters), 0);

    host.SetCurrentIndex(control::kPrinters, -1);
    ApplyPrinterChoice(host, spooler, messages);

    EXPECT_EQ(spooler.changes, (std::vector<std::string>{"Lab", "Gone", ""}));
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[0].caption, "信息：");
    EXPECT_EQ(messages.shown[0].text, "默认打印机设置成功！");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Information);
    for (std::size_t i : {1u, 2u}) {
        EXPECT_EQ(messages.shown[i].caption, "信息：");
        EXPECT_EQ(messages.shown[i].text, "默认打印机设置失败！");
        EXPECT_EQ(messages.shown[i].icon, MessageIcon::Error);
    }
}

}  // namespace
}  // namespace suantiji
