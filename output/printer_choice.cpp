#include "output/printer_choice.h"

namespace suantiji {

namespace {

// True when the default printer is that printer or "printer/instance", a saved set of options
// of that queue, which prints on it.
bool IsDefault(const std::string& printer, const std::string& defaultName) {
    return defaultName == printer || defaultName.substr(0, defaultName.find('/')) == printer;
}

}  // namespace

PrinterList ReadPrinterList(PrinterSpooler& spooler) {
    PrinterList list;
    list.printers = spooler.ListPrinters();
    list.defaultName = spooler.DefaultPrinterName();
    return list;
}

void FillPrinterList(ControlHost& host, const PrinterList& list) {
    const int first = host.ItemCount(control::kPrinters);
    for (const std::string& name : list.printers) host.AppendItem(control::kPrinters, name, 0);
    const int end = host.ItemCount(control::kPrinters);

    if (list.defaultName.empty()) return;
    for (int i = first; i < end; ++i) {
        if (IsDefault(host.ItemText(control::kPrinters, i), list.defaultName)) {
            host.SetCurrentIndex(control::kPrinters, i);
        }
    }
}

void FillPrinterList(ControlHost& host, PrinterSpooler& spooler) {
    FillPrinterList(host, ReadPrinterList(spooler));
}

std::string ChosenPrinter(const ControlHost& host) {
    return host.ItemText(control::kPrinters, host.CurrentIndex(control::kPrinters));
}

bool MakeDefaultPrinter(PrinterSpooler& spooler, const std::string& name) {
    // A change the system accepted may still not be the default that counts: PRINTER and LPDEST
    // outrank the user's choice. Success is what the system now names as the default.
    return spooler.ChangeDefaultPrinter(name) && IsDefault(name, spooler.DefaultPrinterName());
}

void TellPrinterChoice(MessageBox& messages, bool madeDefault) {
    if (madeDefault) {
        messages.Show(kMessageCaption, "默认打印机设置成功！", MessageIcon::Information);
    } else {
        messages.Show(kMessageCaption, "默认打印机设置失败！", MessageIcon::Error);
    }
}

void ApplyPrinterChoice(ControlHost& host, PrinterSpooler& spooler, MessageBox& messages) {
    TellPrinterChoice(messages, MakeDefaultPrinter(spooler, ChosenPrinter(host)));
}

}  // namespace suantiji
