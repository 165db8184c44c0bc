#include "output/print_sheet.h"

#include <cups/cups.h>
#include <gtest/gtest.h>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <cstdlib>
#include <string>

#include "tests/output/table_test_support.h"

// Prints for real on the CUPS test printer (scripts/test-printer.sh) and reads back the PDF
// that the queue wrote.
namespace suantiji {
namespace {

const QString kPdfFolder =
    QString::fromUtf8(std::getenv("SUANTIJI_PDF_DIR") != nullptr ? std::getenv("SUANTIJI_PDF_DIR")
                                                                 : "/var/spool/suantiji-pdf");

struct Job {
    int id = 0;
    std::string queue;
};

// The newest job named as a sheet, after `after`; waits for CUPS to complete it when asked.
Job sheetJob(int after, int which = CUPS_WHICHJOBS_ALL) {
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, which);
    Job found;
    for (int i = 0; i < count; ++i) {
        if (jobs[i].id > std::max(after, found.id) && std::string(jobs[i].title) == kPrintJobName) {
            found = {jobs[i].id, jobs[i].dest};
        }
    }
    cupsFreeJobs(count, jobs);
    return found;
}

QString pdftotext(const QString& pdf) {
    QProcess text;
    text.start("pdftotext", {pdf, "-"});
    text.waitForFinished(10000);
    return QString::fromUtf8(text.readAllStandardOutput());
}

class PrintSheetOnTestPrinter : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("PRINTER");
        unsetenv("LPDEST");
        cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
        ASSERT_NE(dest, nullptr) << "no default printer: run scripts/test-printer.sh first";
        m_queue = dest->name;
        cupsFreeDests(1, dest);
    }

    // Prints through PrintSheet; the PDF's text once CUPS has completed the job.
    QString printAndRead(TableModel& model) {
        const int before = sheetJob(0).id;
        bool asked = false;
        EXPECT_EQ(PrintSheet(model, [&asked](QPrinter&) { return asked = true, false; }),
                  PrintOutcome::Printed);
        EXPECT_FALSE(asked) << "there is a default printer: no dialog";
        QElapsedTimer timer;
        timer.start();
        Job job;
        while (job.id == 0 && timer.elapsed() < 30000) {
            QThread::msleep(100);
            job = sheetJob(before, CUPS_WHICHJOBS_COMPLETED);
        }
        EXPECT_NE(job.id, 0) << "no job named " << kPrintJobName << " completed";
        EXPECT_EQ(job.queue, m_queue);
        // CUPS-PDF labels a job with a non-ASCII title "...-job_<id>.pdf".
        const QStringList files =
            QDir(kPdfFolder).entryList({QStringLiteral("*-job_%1.pdf").arg(job.id)});
        EXPECT_EQ(files.size(), 1) << "no PDF in " << kPdfFolder.toStdString();
        return files.isEmpty() ? QString() : pdftotext(QDir(kPdfFolder).filePath(files.first()));
    }

    std::string m_queue;
};

TEST_F(PrintSheetOnTestPrinter, LaidOutSheetPrintsOnOnePageOfTheDefaultQueue) {
    TableModel model;
    testing::LayOutSheet(model);
    model.SetCellText(20, 5, "88-7×(6-5)=");  // the last row is what the one-page fit is for
    for (int which = 1; which <= 7; ++which) model.SetPrintLayout(which, 25);
    const QString content = printAndRead(model);
    EXPECT_EQ(content.count(QChar('\f')), 1);  // pdftotext ends every page with a form feed
    EXPECT_TRUE(content.contains(QStringLiteral("参考答案"))) << content.toStdString();
    EXPECT_TRUE(content.contains(QStringLiteral("12+5×(3-2)=")));
    EXPECT_TRUE(content.contains(QStringLiteral("88-7×(6-5)="))) << content.toStdString();
    const PrintLayout& layout = model.GetPrintLayout();  // zeroed before printing
    EXPECT_EQ(layout.leftMargin + layout.rightMargin + layout.topMargin + layout.bottomMargin +
                  layout.headerHeight + layout.footerHeight + layout.gap,
              0);
}

TEST_F(PrintSheetOnTestPrinter, EmptyTablePrintsFivePagesOfFiveRows) {
    TableModel model;  // W = 260, so about 182 pixels of rows fit on a page
    EXPECT_EQ(printAndRead(model).count(QChar('\f')), 5);
}

}  // namespace
}  // namespace suantiji
