#include "ui/print_actions.h"

#include <QPrinter>
#include <atomic>
#include <string>
#include <utility>

#include "output/printer_choice.h"

namespace suantiji {

namespace {

// What the first call of a print brings back: the job, and how it went when it could go.
struct PrintAnswer {
    SheetJob job;
    PrintOutcome outcome = PrintOutcome::Cancelled;
};

}  // namespace

PrintActions::PrintActions(std::shared_ptr<PrinterSpooler> spooler, MessageBox& messages,
                           AskForPrinter askForPrinter)
    : m_spooler(std::move(spooler)),
      m_messages(messages),
      m_askForPrinter(std::move(askForPrinter)) {}

void PrintActions::ListPrinters(ControlHost& host) {
    m_calls.Start<PrinterList>([spooler = m_spooler] { return ReadPrinterList(*spooler); },
                               [&host](const PrinterList& list) { FillPrinterList(host, list); });
    if (m_calls.Wait(kListWait)) m_calls.HandOverAnswers();
}

void PrintActions::ApplyPrinterChoice(const ControlHost& host) {
    m_calls.Start<bool>(
        [spooler = m_spooler, name = ChosenPrinter(host)] {
            return MakeDefaultPrinter(*spooler, name);
        },
        [this](bool madeDefault) { TellPrinterChoice(m_messages, madeDefault); },
        [this] { m_messages.Show(kMessageCaption, kPrinterChoiceNoAnswer, MessageIcon::Error); },
        kAnswerTime);
}

void PrintActions::PrintSheet(TableModel& table) {
    ClearPrintLayout(table);
    auto sheet = std::make_shared<TableModel>(table);
    sheet->SetChangeListener({});
    auto giveUp = std::make_shared<std::atomic<bool>>(false);
    m_calls.Start<PrintAnswer>(
        [sheet, giveUp] {
            PrintAnswer answer{SetUpSheetJob()};
            if (answer.job.onDefaultPrinter) {
                answer.outcome = PrintSheetJob(*answer.job.printer, *sheet, giveUp.get());
            }
            return answer;
        },
        [this, sheet](const PrintAnswer& answer) {
            if (answer.job.onDefaultPrinter) {
                tell(answer.outcome);
            } else {
                askForPrinterAndPrint(answer.job, sheet);
            }
        },
        giveUpAndTell(giveUp), kAnswerTime);
}

// Without a default printer the user chooses one, as the print dialog lets them.
void PrintActions::askForPrinterAndPrint(const SheetJob& job,
                                         std::shared_ptr<const TableModel> sheet) {
    if (!m_askForPrinter || !m_askForPrinter(*job.printer)) return;
    print(job.printer, std::move(sheet));
}

void PrintActions::print(std::shared_ptr<QPrinter> printer,
                         std::shared_ptr<const TableModel> sheet) {
    auto giveUp = std::make_shared<std::atomic<bool>>(false);
    m_calls.Start<PrintOutcome>(
        [printer, sheet, giveUp] { return PrintSheetJob(*printer, *sheet, giveUp.get()); },
        [this](PrintOutcome outcome) { tell(outcome); }, giveUpAndTell(giveUp), kAnswerTime);
}

std::function<void()> PrintActions::giveUpAndTell(std::shared_ptr<std::atomic<bool>> giveUp) {
    return [this, giveUp = std::move(giveUp)] {
        *giveUp = true;
        m_messages.Show(kMessageCaption, kPrinterNoAnswer, MessageIcon::Error);
    };
}

void PrintActions::tell(PrintOutcome outcome) {
    if (outcome == PrintOutcome::NotPrinted) {
        m_messages.Show(kMessageCaption, kSheetNotPrinted, MessageIcon::Error);
    }
}

bool PrintActions::Finish(std::chrono::milliseconds limit) { return m_calls.Finish(limit); }

}  // namespace suantiji
