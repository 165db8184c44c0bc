#pragma once

#include "common/control_host.h"
#include "common/message_box.h"
#include "output/printer_spooler.h"

namespace suantiji {

inline constexpr const char* kPrinterComboName = "组合框_打印机";

// Appends the system's printers to the printer list (item value 0; the list is not cleared) and
// selects the one whose name equals the default printer's byte for byte; a default that is an
// instance "queue/instance" selects its queue. Only the appended items are compared, so items
// restored from an old settings file are never preselected.
void FillPrinterList(ControlHost& host, PrinterSpooler& spooler);

// Makes the selected printer the system's default (an empty name with nothing selected) and
// tells the user whether that worked: success only when the default read back afterwards is the
// chosen printer (or an instance of it). Changes nothing else.
void ApplyPrinterChoice(ControlHost& host, PrinterSpooler& spooler, MessageBox& messages);

}  // namespace suantiji
