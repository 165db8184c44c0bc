#pragma once

#include <functional>

#include "output/table_model.h"

class QPagedPaintDevice;
class QPainter;
class QPrinter;

namespace suantiji {

// The job name every printed sheet carries.
inline constexpr const char* kPrintJobName = "未命名打印作业";

// How a print ended.
enum class PrintOutcome {
    Printed,     // the print system took the job
    Cancelled,   // no printer was chosen
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

// Prints the table on the system's default printer, A4 landscape with the printer's other
// defaults, without a dialog. Only when there is no default printer is the user asked; a
// cancelled choice prints nothing. Zeroes the print layout first.
PrintOutcome PrintSheet(TableModel& model, const AskForPrinter& askForPrinter = ShowPrintDialog);

}  // namespace suantiji
