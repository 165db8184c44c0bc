#pragma once

#include <string>
#include <vector>

#include "common/control_host.h"
#include "common/control_table.h"
#include "common/message_box.h"
#include "output/printer_spooler.h"

namespace suantiji {

// Told when the print system has not answered the button in time.
inline constexpr const char* kPrinterChoiceNoAnswer = "打印机没有响应，默认打印机设置失败！";

// What the print system says at start-up: its printers in its order, and the user's default.
struct PrinterList {
    std::vector<std::string> printers;
    std::string defaultName;
};

PrinterList ReadPrinterList(PrinterSpooler& spooler);

// Appends the system's printers to the printer list (item value 0; the list is not cleared) and
// selects the one whose name equals the default printer's byte for byte; a default that is an
// instance "queue/instance" selects its queue. Only the appended items are compared, so items
// restored from an old settings file are never preselected.
void FillPrinterList(ControlHost& host, const PrinterList& list);
void FillPrinterList(ControlHost& host, PrinterSpooler& spooler);

// The name of the printer selected in the list; empty with nothing selected.
std::string ChosenPrinter(const ControlHost& host);

// Makes the printer the system's default. True only when the default read back afterwards is
// that printer (or an instance of it).
bool MakeDefaultPrinter(PrinterSpooler& spooler, const std::string& name);

// Tells the user whether the chosen printer became the default.
void TellPrinterChoice(MessageBox& messages, bool madeDefault);

// The button's whole work on one thread: makes the selected printer the default and tells the
// user whether that worked. Changes nothing else.
void ApplyPrinterChoice(ControlHost& host, PrinterSpooler& spooler, MessageBox& messages);

}  // namespace suantiji
