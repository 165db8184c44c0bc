#pragma once

#include <string>
#include <vector>

namespace suantiji {

// The system's print spooler as the program uses it. The real one talks to CUPS; tests fake it.
class PrinterSpooler {
public:
    virtual ~PrinterSpooler() = default;
    // Local queues and connections in the order the system reports them; empty on failure.
    virtual std::vector<std::string> ListPrinters() = 0;
    // The user's default printer; empty when there is none or the query fails.
    virtual std::string DefaultPrinterName() = 0;
    // Makes the printer the user's default for every program. False for an unknown or empty name.
    virtual bool ChangeDefaultPrinter(const std::string& name) = 0;
};

}  // namespace suantiji
