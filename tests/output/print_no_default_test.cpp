#include <gtest/gtest.h>
#include <QFileInfo>
#include <QPageLayout>
#include <QPrinter>
#include <QTemporaryDir>

#include <cstdlib>

#include "output/print_sheet.h"
#include "tests/output/table_test_support.h"

namespace suantiji {
namespace {

// CUPS pointed at a server that does not exist: no default printer, so PrintSheet has to ask.
TEST(PrintSheetWithoutDefaultPrinter, AsksForAPrinterAndSendsNothingWhenCancelled) {
    setenv("CUPS_SERVER", "/nonexistent/suantiji-cups.sock", 1);
    unsetenv("PRINTER");
    unsetenv("LPDEST");
    TableModel model;
    testing::LayOutSheet(model);
    int asked = 0;
    EXPECT_EQ(PrintSheet(model, [&asked](QPrinter&) { return ++asked, false; }),
              PrintOutcome::Cancelled);
    EXPECT_EQ(asked, 1);

    QTemporaryDir dir;
    const QString file = dir.filePath("chosen.pdf");
    EXPECT_EQ(PrintSheet(model,
                         [&file](QPrinter& printer) {
                             EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
                             printer.setOutputFormat(QPrinter::PdfFormat);  // the user picks a file
                             printer.setOutputFileName(file);
                             return true;
                         }),
              PrintOutcome::Printed);
    EXPECT_GT(QFileInfo(file).size(), 0);
}

}  // namespace
}  // namespace suantiji
