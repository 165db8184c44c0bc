#pragma once
// Services for running the real window in a benchmark: no message is shown, no printer exists.

#include <string>
#include <vector>

#include "common/message_box.h"
#include "output/printer_spooler.h"

namespace suantiji::bench {

class SilentMessages : public MessageBox {
public:
    void Show(const std::string&, const std::string&, MessageIcon) override {}
};

class NoPrinters : public PrinterSpooler {
public:
    std::vector<std::string> ListPrinters() override { return {}; }
    std::string DefaultPrinterName() override { return {}; }
    bool ChangeDefaultPrinter(const std::string&) override { return false; }
};

}  // namespace suantiji::bench
