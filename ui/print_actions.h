#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

#include "common/control_host.h"
#include "common/message_box.h"
#include "output/print_sheet.h"
#include "output/printer_spooler.h"
#include "ui/print_system_calls.h"

namespace suantiji {

struct SheetJob;

// The window's work with the print system: the printer list at start-up, the button that makes
// the chosen printer the default, and printing. Each asks CUPS on a thread of its own, so the
// window answers the user whatever the print server does; a server that has not answered
// within kAnswerTime is reported as not answering, and what was asked of it is given up.
class PrintActions {
public:
    static constexpr std::chrono::milliseconds kAnswerTime{5000};
    // How long start-up waits for the printer list before the window is shown without it.
    static constexpr std::chrono::milliseconds kListWait{500};

    PrintActions(std::shared_ptr<PrinterSpooler> spooler, MessageBox& messages,
                 AskForPrinter askForPrinter);

    // Fills the printer list (see FillPrinterList): before returning when the print system
    // answers within kListWait, otherwise as soon as it answers. `host` must outlive this.
    void ListPrinters(ControlHost& host);

    // Makes the printer chosen in the list the default and tells the user whether it worked.
    void ApplyPrinterChoice(const ControlHost& host);

    // Prints the table as it is now (see PrintSheet), and tells the user when the print system
    // refused the job or did not answer.
    void PrintSheet(TableModel& table);

    // At the end: waits up to `limit` for what is still within its time to answer (a job being
    // handed over, a default being written); false when a thread is still waiting on CUPS.
    bool Finish(std::chrono::milliseconds limit);

private:
    void print(std::shared_ptr<QPrinter> printer, std::shared_ptr<const TableModel> sheet);
    void askForPrinterAndPrint(const SheetJob& job, std::shared_ptr<const TableModel> sheet);
    // What runs when a print has not answered in time: the job is given up and the user told.
    std::function<void()> giveUpAndTell(std::shared_ptr<std::atomic<bool>> giveUp);
    void tell(PrintOutcome outcome);

    std::shared_ptr<PrinterSpooler> m_spooler;
    MessageBox& m_messages;
    AskForPrinter m_askForPrinter;
    PrintSystemCalls m_calls;
};

}  // namespace suantiji
