#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "output/save_picture.h"
#include "output/window_capture.h"

namespace suantiji {
namespace {

namespace fs = std::filesystem;

// A bordered control with a few features whose pixels are easy to get wrong: a frame, a
// coloured block, a grid line and text.
class SampleSheet : public QFrame {
public:
    SampleSheet() {
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(2);
        resize(161, 97);  // odd sizes catch row and column mix-ups
    }
    QColor block{0x20, 0x80, 0xE0};

protected:
    void paintEvent(QPaintEvent* event) override {
        QFrame::paintEvent(event);
        QPainter painter(this);
        painter.fillRect(QRect(10, 5, 40, 20), block);
        painter.setPen(QColor(0xC0, 0xC0, 0xC0));
        painter.drawLine(0, 60, width() - 1, 60);
        painter.setPen(Qt::black);
        painter.drawText(QRect(60, 30, 100, 30), Qt::AlignCenter, QStringLiteral("12+5×3="));
    }
};

class RecordingDialog : public SaveFileDialog {
public:
    std::optional<std::string> Show(const SaveDialogOptions& options) override {
        shown.push_back(options);
        if (during) during();
        return answer;
    }
    std::optional<std::string> answer;
    std::function<void()> during;
    std::vector<SaveDialogOptions> shown;
};

class RecordingOpener : public FileOpener {
public:
    void Open(const std::string& path) override { opened.push_back(path); }
    std::vector<std::string> opened;
};

class SavePictureTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        if (QApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "picture_tests";
            static char* argv[] = {name, nullptr};
            static QApplication app(argc, argv);
        }
    }

    std::string programFolder() const { return m_dir.path().toStdString(); }
    std::string recordsFolder() const { return programFolder() + "/出题记录"; }

    static QImage rendered(QWidget& widget) {
        return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    QTemporaryDir m_dir;
    SampleSheet m_sheet;
    RecordingDialog m_dialog;
    RecordingOpener m_opener;
};

TEST_F(SavePictureTest, SavedPictureReadsBackAsTheControlDrawsItself) {
    m_dialog.answer = recordsFolder() + "/sheet.bmp";
    SaveSheetPicture(&m_sheet, programFolder(), "2026/12/7 星期一 09:05:03", m_dialog, m_opener);

    ASSERT_EQ(m_dialog.shown.size(), 1u);
    EXPECT_EQ(m_dialog.shown[0].folder, recordsFolder());
    EXPECT_EQ(m_dialog.shown[0].proposedName, "2026_12_7_星期一_09_05_03.bmp");
    EXPECT_EQ(m_dialog.shown[0].filter, "*.bmp");
    EXPECT_EQ(m_opener.opened, std::vector<std::string>{*m_dialog.answer});

    EXPECT_EQ(fs::file_size(*m_dialog.answer), 58u + 161u * 97u * 4u);
    const QImage saved = QImage(QString::fromStdString(*m_dialog.answer), "BMP")
                             .convertToFormat(QImage::Format_RGB32);
    const QImage expected = rendered(m_sheet);
    ASSERT_EQ(saved.size(), expected.size());
    for (int y = 0; y < saved.height(); ++y) {
        for (int x = 0; x < saved.width(); ++x) {
            ASSERT_EQ(saved.pixel(x, y), expected.pixel(x, y)) << "at " << x << "," << y;
        }
    }
}

TEST_F(SavePictureTest, PictureShowsTheSheetAsItWasBeforeTheDialog) {
    m_dialog.answer = programFolder() + "/before";  // no extension: kept as typed
    m_dialog.during = [this] {
        m_sheet.block = Qt::red;
        m_sheet.update();
    };
    SaveSheetPicture(&m_sheet, programFolder(), "", m_dialog, m_opener);

    ASSERT_EQ(m_dialog.shown.size(), 1u);
    EXPECT_EQ(m_dialog.shown[0].proposedName, ".bmp");
    const QImage saved(QString::fromStdString(programFolder() + "/before"), "BMP");
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.pixelColor(20, 10), QColor(0x20, 0x80, 0xE0));
}

TEST_F(SavePictureTest, CancelWritesAndOpensNothingButTheFolderIsReady) {
    SaveSheetPicture(&m_sheet, programFolder(), "2026/12/7 星期一 09:05:03", m_dialog, m_opener);

    EXPECT_EQ(m_dialog.shown.size(), 1u);
    EXPECT_TRUE(m_opener.opened.empty());
    ASSERT_TRUE(fs::is_directory(recordsFolder()));
    EXPECT_TRUE(fs::is_empty(recordsFolder()));
}

TEST_F(SavePictureTest, UnwritableTargetsAreNeitherWrittenNorOpened) {
    const std::string regular = programFolder() + "/plain.txt";
    std::ofstream(regular) << "x";
    for (const std::string& target :
         {regular + "/inside-a-file.bmp", programFolder() + "/missing/sheet.bmp"}) {
        m_dialog.answer = target;
        SaveSheetPicture(&m_sheet, programFolder(), "", m_dialog, m_opener);
        EXPECT_FALSE(fs::exists(target)) << target;
    }
    EXPECT_TRUE(m_opener.opened.empty());
}

TEST_F(SavePictureTest, ConfirmedOverwriteReplacesTheWholeFile) {
    const std::string target = programFolder() + "/old.bmp";
    std::ofstream(target) << std::string(5'000'000, 'x');
    m_dialog.answer = target;
    SaveSheetPicture(&m_sheet, programFolder(), "", m_dialog, m_opener);

    EXPECT_EQ(fs::file_size(target), 58u + 161u * 97u * 4u);
    EXPECT_EQ(m_opener.opened.size(), 1u);
}

TEST_F(SavePictureTest, WithoutAPictureNothingIsOffered) {
    m_dialog.answer = programFolder() + "/empty.bmp";
    SaveSheetPicture(nullptr, programFolder(), "", m_dialog, m_opener);
    m_sheet.resize(0, 0);
    SaveSheetPicture(&m_sheet, programFolder(), "", m_dialog, m_opener);

    EXPECT_TRUE(m_dialog.shown.empty());
    EXPECT_TRUE(m_opener.opened.empty());
    EXPECT_FALSE(fs::exists(*m_dialog.answer));
    EXPECT_TRUE(CaptureWindowBitmap(nullptr).empty());
}

TEST_F(SavePictureTest, MissingProgramFolderStillOffersTheDialog) {
    // The records folder is made as one folder only; its parent must exist.
    const std::string gone = programFolder() + "/gone";
    SaveSheetPicture(&m_sheet, gone, "", m_dialog, m_opener);
    EXPECT_FALSE(fs::exists(gone));
    EXPECT_EQ(m_dialog.shown.size(), 1u);
}

TEST_F(SavePictureTest, RealDialogIsASaveDialogWithoutDefaultExtension) {
    fs::create_directory(recordsFolder());
    PictureFileDialog dialog(nullptr, {recordsFolder(), "a.bmp", "*.bmp"});
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_FALSE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_TRUE(dialog.defaultSuffix().isEmpty());
    EXPECT_EQ(dialog.nameFilters(), QStringList{"*.bmp"});
    EXPECT_EQ(dialog.directory().absolutePath().toStdString(), recordsFolder());
    EXPECT_EQ(dialog.selectedFiles().value(0).toStdString(), recordsFolder() + "/a.bmp");
}

TEST_F(SavePictureTest, RealDialogKeepsANameInAMissingFolderOpen) {
    PictureFileDialog dialog(nullptr, {programFolder(), "a.bmp", "*.bmp"});
    dialog.open();
    dialog.selectFile(QString::fromStdString(programFolder() + "/missing/x"));
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());

    dialog.selectFile(QString::fromStdString(programFolder() + "/x"));
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.selectedFiles().value(0).toStdString(), programFolder() + "/x");
}

}  // namespace
}  // namespace suantiji
