#include <gtest/gtest.h>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdlib>

#include "output/print_sheet.h"
#include "tests/output/table_test_app.h"
#include "tests/output/table_test_support.h"

// A system without printers: CUPS is pointed at a server that does not exist, so there is no
// default printer and PrintSheet has to ask.
namespace suantiji {
namespace {

class PrintSheetWithoutDefaultPrinter : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("CUPS_SERVER", "/nonexistent/suantiji-cups.sock", 1);
        unsetenv("PRINTER");
        unsetenv("LPDEST");
        testing::EnsureApplication();
    }
};

TEST_F(PrintSheetWithoutDefaultPrinter, CancelledChoiceSendsNoJob) {
    TableModel model;
    int asked = 0;
    EXPECT_FALSE(PrintSheet(model, [&asked](QPrinter&) { return ++asked, false; }));
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(PrintSheet(model, nullptr));
}

TEST_F(PrintSheetWithoutDefaultPrinter, ChosenPrinterGetsTheSheetInA4Landscape) {
    QTemporaryDir dir;
    const QString file = dir.filePath("chosen.pdf");
    TableModel model;
    testing::LayOutSheet(model);
    const bool sent = PrintSheet(model, [&file](QPrinter& printer) {
        EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A4);
        EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
        EXPECT_EQ(printer.docName().toStdString(), kPrintJobName);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        return true;
    });
    EXPECT_TRUE(sent);
    QProcess info;
    info.start("pdfinfo", {file});
    ASSERT_TRUE(info.waitForFinished(10000));
    EXPECT_TRUE(info.readAllStandardOutput().contains("Pages:           1"));
}

}  // namespace
}  // namespace suantiji
