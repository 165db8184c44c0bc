#include "output/printer_choice.h"

#include <string>
#include <vector>

namespace suantiji {

namespace {

// True when the default printer is that printer or "printer/instance", a saved set of options
// of that queue, which prints on it.
bool IsDefault(const std::string& printer, const std::string& defaultName) {
    return defaultName == printer || defaultName.substr(0, defaultName.find('/')) == printer;
}

}  // namespace

void FillPrinterList(ControlHost& host, PrinterSpooler& spooler) {
    const std::vector<std::string> printers = spooler.ListPrinters();
    const int first = host.ItemCount(kPrinterComboName);
    for (const std::string& name : printers) host.AppendItem(kPrinterComboName, name, 0);
    const int end = host.ItemCount(kPrinterComboName);

    const std::string defaultName = spooler.DefaultPrinterName();
    if (defaultName.empty()) return;
    for (int i = first; i < end; ++i) {
        if (IsDefault(host.ItemText(kPrinterComboName, i), defaultName)) {
            host.SetCurrentIndex(kPrinterComboName, i);
        }
    }
}

void ApplyPrinterChoice(ControlHost& host, PrinterSpooler& spooler, MessageBox& messages) {
    const std::string name = host.ItemText(kPrinterComboName, host.CurrentIndex(kPrinterComboName));
    // A change the system accepted may still not be the default that counts: PRINTER and LPDEST
    // outrank the user's choice. Success is what the system now names as the default.
    if (spooler.ChangeDefaultPrinter(name) && IsDefault(name, spooler.DefaultPrinterName())) {
        messages.Show("信息：", "默认打印机设置成功！", MessageIcon::Information);
    } else {
        messages.Show("信息：", "默认打印机设置失败！", MessageIcon::Error);
    }
}

}  // namespace suantiji
