#pragma once

#include <string>
#include <vector>

#include "output/printer_spooler.h"

namespace suantiji {

// The print spooler over libcups. Names are CUPS destination names; an instance is written
// "queue/instance" as lpstat writes it. The default follows PRINTER, LPDEST and lpoptions as
// `lpstat -d` does; changing it writes the user's lpoptions as `lpoptions -d` does (for root,
// too, that is $HOME/.cups/lpoptions), so every program of that user sees the change.
class CupsSpooler : public PrinterSpooler {
public:
    std::vector<std::string> ListPrinters() override;
    std::string DefaultPrinterName() override;
    bool ChangeDefaultPrinter(const std::string& name) override;
};

}  // namespace suantiji
