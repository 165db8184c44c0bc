#include "output/print_sheet.h"

#include <cups/cups.h>
#include <gtest/gtest.h>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <cstdlib>
#include <optional>
#include <string>

#include "tests/output/table_test_app.h"
#include "tests/output/table_test_support.h"

// Prints for real on the CUPS test printer (scripts/test-printer.sh) and reads back the PDF
// that the default queue wrote.
namespace suantiji {
namespace {

QString pdfFolder() {
    const char* folder = std::getenv("SUANTIJI_PDF_DIR");
    return QString::fromUtf8(folder != nullptr ? folder : "/var/spool/suantiji-pdf");
}

std::string defaultQueue() {
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (dest == nullptr) return {};
    std::string name = dest->name;
    cupsFreeDests(1, dest);
    return name;
}

int lastJobId() {
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
    int last = 0;
    for (int i = 0; i < count; ++i) last = std::max(last, jobs[i].id);
    cupsFreeJobs(count, jobs);
    return last;
}

struct Job {
    int id = 0;
    std::string queue;
    std::string title;
};

// The first job after `after` that carries the sheet's job name; waits for it to appear.
std::optional<Job> waitForSheetJob(int after) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 20000) {
        cups_job_t* jobs = nullptr;
        const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
        std::optional<Job> found;
        for (int i = 0; i < count && !found; ++i) {
            if (jobs[i].id > after && std::string(jobs[i].title) == kPrintJobName) {
                found = Job{jobs[i].id, jobs[i].dest, jobs[i].title};
            }
        }
        cupsFreeJobs(count, jobs);
        if (found) return found;
        QThread::msleep(100);
    }
    return std::nullopt;
}

bool jobCompleted(int jobId) {
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_COMPLETED);
    bool completed = false;
    for (int i = 0; i < count; ++i) completed = completed || jobs[i].id == jobId;
    cupsFreeJobs(count, jobs);
    return completed;
}

// CUPS-PDF labels a job with a non-ASCII title "...-job_<id>.pdf". The file is written while
// the job runs, so it is read only once CUPS reports the job completed.
QString waitForPdf(int jobId) {
    const QString suffix = QStringLiteral("-job_%1.pdf").arg(jobId);
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 30000) {
        if (jobCompleted(jobId)) {
            const QStringList files = QDir(pdfFolder()).entryList({QStringLiteral("*") + suffix});
            if (!files.isEmpty()) return QDir(pdfFolder()).filePath(files.first());
        }
        QThread::msleep(200);
    }
    return {};
}

int pageCount(const QString& pdf) {
    QProcess info;
    info.start("pdfinfo", {pdf});
    info.waitForFinished(10000);
    for (const QByteArray& line : info.readAllStandardOutput().split('\n')) {
        if (line.startsWith("Pages:")) return line.mid(6).trimmed().toInt();
    }
    return -1;
}

class PrintSheetOnTestPrinter : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("PRINTER");
        unsetenv("LPDEST");
        testing::EnsureApplication();
        m_queue = defaultQueue();
        ASSERT_FALSE(m_queue.empty())
            << "no default printer: start the test printer with scripts/test-printer.sh";
        ASSERT_TRUE(QDir(pdfFolder()).exists()) << "no PDF folder " << pdfFolder().toStdString();
    }

    // Prints through PrintSheet and returns the PDF that landed for the job.
    QString printAndCollect(TableModel& model) {
        const int before = lastJobId();
        bool asked = false;
        const bool sent = PrintSheet(model, [&asked](QPrinter&) { return asked = true, false; });
        EXPECT_TRUE(sent);
        EXPECT_FALSE(asked) << "a default printer exists: no dialog";
        const std::optional<Job> job = waitForSheetJob(before);
        if (!job) {
            ADD_FAILURE() << "no job named " << kPrintJobName << " reached CUPS";
            return {};
        }
        EXPECT_EQ(job->queue, m_queue);
        const QString pdf = waitForPdf(job->id);
        EXPECT_FALSE(pdf.isEmpty())
            << "job " << job->id << " left no PDF in " << pdfFolder().toStdString();
        return pdf;
    }

    std::string m_queue;
};

TEST_F(PrintSheetOnTestPrinter, LaidOutSheetPrintsOnOnePageOfTheDefaultQueue) {
    TableModel model;
    testing::LayOutSheet(model);
    for (int which = 1; which <= 7; ++which) model.SetPrintLayout(which, 25);
    const QString pdf = printAndCollect(model);
    ASSERT_FALSE(pdf.isEmpty());
    EXPECT_EQ(pageCount(pdf), 1) << pdf.toStdString();
    QProcess text;
    text.start("pdftotext", {pdf, "-"});
    ASSERT_TRUE(text.waitForFinished(10000));
    const QString content = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(content.contains(QStringLiteral("参考答案"))) << content.toStdString();
    EXPECT_TRUE(content.contains(QStringLiteral("12+5×(3-2)=")));
    // Printing zeroes the print layout first.
    const PrintLayout& layout = model.GetPrintLayout();
    EXPECT_EQ(layout.leftMargin + layout.rightMargin + layout.topMargin + layout.bottomMargin +
                  layout.headerHeight + layout.footerHeight + layout.gap,
              0);
}

TEST_F(PrintSheetOnTestPrinter, EmptyTablePrintsFivePagesOfFiveRows) {
    TableModel model;  // W = 260, so about 182 pixels of rows fit on a page
    const QString pdf = printAndCollect(model);
    ASSERT_FALSE(pdf.isEmpty());
    EXPECT_EQ(pageCount(pdf), 5) << pdf.toStdString();
}

}  // namespace
}  // namespace suantiji
