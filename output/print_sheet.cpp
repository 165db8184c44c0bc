#include "output/print_sheet.h"

#include <cups/cups.h>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "output/page_layout.h"
#include "output/table_painter.h"

namespace suantiji {

bool ShowPrintDialog(QPrinter& printer) {
    QPrintDialog dialog(&printer);
    return dialog.exec() == QDialog::Accepted;
}

bool PrintTable(const TableModel& model, QPainter& painter, QPagedPaintDevice& device) {
    // A paged device's size is its printable area in device pixels.
    const PagePlan plan = PlanPages(model, device.width(), device.height());
    const QFont defaultFont = DefaultCellFont();
    bool first = true;
    for (const PageRows& page : plan.pages) {
        if (!first && !device.newPage()) return false;
        first = false;
        if (plan.scale <= 0) continue;
        painter.save();
        painter.translate(plan.offsetX, 0);
        painter.scale(plan.scale, plan.scale);
        painter.translate(static_cast<double>(plan.rowsLeft), static_cast<double>(plan.rowsTop));
        PaintTableRows(painter, model, page.firstRow, page.lastRow, defaultFont);
        painter.restore();
    }
    return true;
}

void ClearPrintLayout(TableModel& model) {
    for (int which = 1; which <= 7; ++which) model.SetPrintLayout(which, 0);
}

SheetJob SetUpSheetJob() {
    SheetJob job;
    // Made here, since making a printer already asks CUPS for the default.
    job.printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    QPrinter& printer = *job.printer;
    printer.setDocName(QString::fromUtf8(kPrintJobName));
    printer.setFullPage(false);
    const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
    job.onDefaultPrinter = !defaultPrinter.isNull();
    if (job.onDefaultPrinter) printer.setPrinterName(defaultPrinter.printerName());
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Landscape);
    return job;
}

PrintOutcome PrintSheetJob(QPrinter& printer, const TableModel& model,
                           const std::atomic<bool>* giveUp) {
    // The user has been told that nothing was printed: keep it so.
    if (giveUp != nullptr && *giveUp) return PrintOutcome::Cancelled;
    if (!printer.isValid()) return PrintOutcome::NotPrinted;
    QPainter painter;
    if (!painter.begin(&printer)) return PrintOutcome::NotPrinted;
    const bool complete = PrintTable(model, painter, printer);
    // Ending the painter ends the document and hands it to CUPS, also after a page the printer
    // refused. Qt does not say whether CUPS took it; cupsLastError, kept per thread, does.
    const bool ended = painter.end();
    const bool refused = printer.outputFormat() == QPrinter::NativeFormat &&
                         cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE;
    return complete && ended && !refused ? PrintOutcome::Printed : PrintOutcome::NotPrinted;
}

PrintOutcome PrintSheet(TableModel& model, const AskForPrinter& askForPrinter) {
    ClearPrintLayout(model);
    const SheetJob job = SetUpSheetJob();
    if (!job.onDefaultPrinter && (!askForPrinter || !askForPrinter(*job.printer))) {
        return PrintOutcome::Cancelled;
    }
    return PrintSheetJob(*job.printer, model);
}

}  // namespace suantiji
