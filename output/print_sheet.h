#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include "output/table_model.h"

class QPagedPaintDevice;
class QPainter;
class QPrinter;

namespace suantiji {

// The job name every printed sheet carries.
inline constexpr const char* kPrintJobName = "未命名打印作业";

// What the user is told when a sheet did not reach the printer.
inline constexpr const char* kSheetNotPrinted = "打印机没有接受打印任务，题目没有打印。";
inline constexpr const char* kPrinterNoAnswer = "打印机没有响应，题目没有打印。";

// How a print ended.
enum class PrintOutcome {
    Printed,     // the print system took the job
    Cancelled,   // no printer was chosen, or the job was given up before it was handed over
    NotPrinted,  // the job could not be made, or the print system refused it
};

// Lets the user pick a printer for the job; false when the user cancels.
using AskForPrinter = std::function<bool(QPrinter& printer)>;

// Qt's print dialog: the fallback when the system has no default printer.
bool ShowPrintDialog(QPrinter& printer);

// Draws the table into a started job, page by page as PlanPages cuts it, on the device's
// printable area. A page the device refuses ends the drawing quietly. False when it stopped early.
bool PrintTable(const TableModel& model, QPainter& painter, QPagedPaintDevice& device);

// Every sheet is printed with no print layout of its own: all seven of its integers zeroed.
void ClearPrintLayout(TableModel& model);

// A job set up for the sheet: A4 landscape on the system's default printer, with that printer's
// other defaults. Without a default printer, `onDefaultPrinter` is false and a printer has to be
// chosen. Asks CUPS, and so waits as long as CUPS does: any thread may call it.
struct SheetJob {
    std::shared_ptr<QPrinter> printer;
    bool onDefaultPrinter = false;
};
SheetJob SetUpSheetJob();

// Prints the table into the job and says whether the print system took it. A job given up
// (`giveUp` set) before it starts is dropped. Any thread may call it, one job at a time.
PrintOutcome PrintSheetJob(QPrinter& printer, const TableModel& model,
                           const std::atomic<bool>* giveUp = nullptr);

// Prints the table on the system's default printer, A4 landscape with the printer's other
// defaults, without a dialog. Only when there is no default printer is the user asked; a
// cancelled choice prints nothing. Zeroes the print layout first. All on the calling thread.
PrintOutcome PrintSheet(TableModel& model, const AskForPrinter& askForPrinter = ShowPrintDialog);

}  // namespace suantiji
