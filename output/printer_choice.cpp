#include "output/printer_choice.h"

#include <string>
#include <vector>

namespace suantiji {

void FillPrinterList(ControlHost& host, PrinterSpooler& spooler) {
    const std::vector<std::string> printers = spooler.ListPrinters();
    const int first = host.ItemCount(kPrinterComboName);
    for (const std::string& name : printers) host.AppendItem(kPrinterComboName, name, 0);
    const int end = host.ItemCount(kPrinterComboName);

    const std::string defaultName = spooler.DefaultPrinterName();
    if (defaultName.empty()) return;
    for (int i = first; i < end; ++i) {
        if (host.ItemText(kPrinterComboName, i) == defaultName) {
            host.SetCurrentIndex(kPrinterComboName, i);
        }
    }
}

void ApplyPrinterChoice(ControlHost& host, PrinterSpooler& spooler, MessageBox& messages) {
    const std::string name = host.ItemText(kPrinterComboName, host.CurrentIndex(kPrinterComboName));
    if (spooler.ChangeDefaultPrinter(name)) {
        messages.Show("信息：", "默认打印机设置成功！", MessageIcon::Information);
    } else {
        messages.Show("信息：", "默认打印机设置失败！", MessageIcon::Error);
    }
}

}  // namespace suantiji
