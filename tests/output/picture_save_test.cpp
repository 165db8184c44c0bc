#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "output/font_substitutes.h"
#include "output/qt_save_dialog.h"
#include "output/save_picture.h"
#include "output/table_model.h"
#include "output/table_widget.h"
#include "output/window_capture.h"
#include "tests/support/recording_message_box.h"

namespace suantiji {
namespace {

namespace fs = std::filesystem;

constexpr int kSheetWidth = 1045;
constexpr int kSheetHeight = 735;
constexpr std::uintmax_t kSheetFileSize = 58u + 1045u * 735u * 4u;

// The table as a laid-out sheet leaves it: column roles, a merged header, grid lines, questions
// and answers in a Chinese face.
void layOutSheet(TableModel& model) {
    const int widths[] = {5, 160, 160, 160, 160, 160, 80, 30, 30, 30, 30, 30, 5};
    for (int column = 0; column < 13; ++column) model.SetColumnWidth(column, widths[column]);
    model.SetRowHeight(0, 50);
    model.MergeCells({0, 1, 0, 6});
    model.MergeCells({0, 7, 0, 12});
    model.SetCellText(0, 1, "     题目数：95    姓名：      日期：2026/12/7 星期一 09:05:03");
    model.SetCellText(0, 7, "参考答案");
    model.SetFontFace({0, 0, model.RowCount() - 1, 12}, "黑体");
    model.SetFontHeight({1, 1, model.RowCount() - 1, 11}, 20);
    for (int row = 1; row < model.RowCount(); ++row) {
        for (int column = 1; column <= 5; ++column) {
            model.SetCellText(row, column,
                              std::to_string(row) + "×(3-2)+" + std::to_string(column) + "=");
            model.SetCellText(row, column + 6, std::to_string(row + column));
        }
    }
    model.SetGridLineMode(GridLines::Both);
    model.SetControlSize(kSheetWidth, kSheetHeight);
}

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

// The chunk types of a PNG file in order, a run of one type counted once; empty for no PNG.
std::vector<std::string> pngChunks(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), {});
    std::vector<std::string> types;
    if (bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return types;
    for (std::size_t at = 8; at + 8 <= bytes.size();) {
        const auto* field = reinterpret_cast<const unsigned char*>(bytes.data() + at);
        const std::size_t length = std::size_t{field[0]} << 24 | std::size_t{field[1]} << 16 |
                                   std::size_t{field[2]} << 8 | field[3];
        const std::string type = bytes.substr(at + 4, 4);
        if (types.empty() || types.back() != type) types.push_back(type);
        at += 12 + length;
    }
    return types;
}

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

class SavePictureTest : public testing::Test {
protected:
    std::string programFolder() const { return m_dir.path().toStdString(); }
    std::string recordsFolder() const { return programFolder() + "/出题记录"; }

    static QImage rendered(QWidget& widget) {
        return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    static QImage readBack(const std::string& path) {
        return QImage(QString::fromStdString(path), "BMP").convertToFormat(QImage::Format_RGB32);
    }

    void SetUp() override { layOutSheet(m_model); }
    void save(const std::string& timestamp = "") {
        SaveSheetPicture(&m_sheet, programFolder(), timestamp, m_dialog, m_opener, m_messages);
    }

    QTemporaryDir m_dir;
    TableModel m_model;
    TableWidget m_sheet{m_model};
    RecordingDialog m_dialog;
    RecordingOpener m_opener;
    RecordingMessageBox m_messages;
};

TEST_F(SavePictureTest, SavedPictureReadsBackAsTheControlDrawsItself) {
    m_dialog.answer = recordsFolder() + "/sheet.bmp";
    save("2026/12/7 星期一 09:05:03");

    ASSERT_EQ(m_dialog.shown.size(), 1u);
    EXPECT_EQ(m_dialog.shown[0].folder, recordsFolder());
    EXPECT_EQ(m_dialog.shown[0].proposedName, "2026_12_7_星期一_09_05_03.bmp");
    EXPECT_EQ(m_dialog.shown[0].filters,
              (std::vector<std::string>{"*.bmp", "PNG 图片 (*.png)", "PDF 文档 (*.pdf)"}));
    EXPECT_EQ(m_opener.opened, std::vector<std::string>{*m_dialog.answer});

    EXPECT_EQ(fs::file_size(*m_dialog.answer), kSheetFileSize);
    const QImage saved = readBack(*m_dialog.answer);
    EXPECT_EQ(saved.size(), QSize(kSheetWidth, kSheetHeight));
    EXPECT_TRUE(saved == rendered(m_sheet));
}

TEST(PictureKindOf, FollowsTheNameEndingInAnyCaseAndElseIsTheBmp) {
    EXPECT_EQ(PictureKindOf("/r/2026_12_7_星期一_09_05_03.png"), PictureKind::Png);
    EXPECT_EQ(PictureKindOf("/r/sheet.PnG"), PictureKind::Png);
    EXPECT_EQ(PictureKindOf("/r/题目.Pdf"), PictureKind::Pdf);
    for (const char* other :
         {"/r/sheet.bmp", "/r/sheet", "/r/sheet.png.txt", "/r/sheetpng", "/r.pdf/sheet", ""}) {
        EXPECT_EQ(PictureKindOf(other), PictureKind::Bmp) << other;
    }
}

TEST_F(SavePictureTest, PngHoldsExactlyThePixelsOfTheBmpAndNothingElse) {
    for (const char* name : {"/sheet.bmp", "/sheet.Png"}) {
        m_dialog.answer = programFolder() + name;
        save();
    }
    const std::string png = programFolder() + "/sheet.Png";
    ASSERT_EQ(m_opener.opened, (std::vector<std::string>{programFolder() + "/sheet.bmp", png}));
    EXPECT_EQ(pngChunks(png), (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    EXPECT_LT(fs::file_size(png), 150'000u);
    const QImage saved = QImage(QString::fromStdString(png), "PNG");
    EXPECT_EQ(saved.size(), QSize(kSheetWidth, kSheetHeight));
    EXPECT_TRUE(saved.convertToFormat(QImage::Format_RGB32) ==
                readBack(programFolder() + "/sheet.bmp"));
}

// The sheet's 730 pixels of rows overflow the page's 725 a little: the one-page fit applies.
TEST_F(SavePictureTest, PdfIsOneA4LandscapePageOfTheSheetAsItWasWithRealText) {
    const std::string pdf = programFolder() + "/sheet.PDF";
    m_dialog.answer = pdf;
    m_dialog.during = [this] { m_model.SetCellText(1, 1, "99+99="); };
    save();
    ASSERT_EQ(m_opener.opened, std::vector<std::string>{pdf});

    const QString info = run("pdfinfo", {QString::fromStdString(pdf)});
    EXPECT_TRUE(info.contains(QRegularExpression("Pages: +1\n"))) << info.toStdString();
    EXPECT_TRUE(
        info.contains(QRegularExpression("Page size: +84[12][.\\d]* x 595[.\\d]* pts \\(A4\\)")))
        << info.toStdString();
    const QString text = run("pdftotext", {QString::fromStdString(pdf), "-"});
    EXPECT_EQ(text.count('\f'), 1);
    EXPECT_TRUE(text.contains("题目数"));
    EXPECT_TRUE(text.contains("参考答案"));
    EXPECT_FALSE(text.contains("99+99="));
    for (int row = 1; row < m_model.RowCount(); ++row) {
        for (int column = 1; column <= 5; ++column) {
            const std::string question =
                std::to_string(row) + "×(3-2)+" + std::to_string(column) + "=";
            EXPECT_TRUE(text.contains(QString::fromStdString(question))) << question;
        }
    }
    // Every font is embedded, so the Chinese shows on a machine without it.
    const QStringList fonts =
        run("pdffonts", {QString::fromStdString(pdf)}).split('\n', Qt::SkipEmptyParts);
    ASSERT_GT(fonts.size(), 2);
    for (const QString& font : fonts.mid(2)) {
        EXPECT_TRUE(font.contains(QRegularExpression(" yes +(yes|no) +(yes|no) +\\d+ +\\d+$")))
            << font.toStdString();
    }
}

TEST_F(SavePictureTest, PictureShowsTheSheetAsItWasBeforeTheDialog) {
    m_dialog.answer = programFolder() + "/before";  // no extension: kept as typed
    const QImage before = rendered(m_sheet);
    m_dialog.during = [this] {
        m_model.SetCellText(1, 1, "99+99=");
        m_model.SetGridLineMode(GridLines::None);
    };
    save();

    ASSERT_EQ(m_dialog.shown.size(), 1u);
    EXPECT_EQ(m_dialog.shown[0].proposedName, ".bmp");
    const QImage saved = readBack(programFolder() + "/before");
    EXPECT_TRUE(saved == before);
    EXPECT_NE(saved, rendered(m_sheet));
}

TEST_F(SavePictureTest, CancelWritesAndOpensNothingButTheFolderIsReady) {
    save("2026/12/7 星期一 09:05:03");

    EXPECT_EQ(m_dialog.shown.size(), 1u);
    EXPECT_TRUE(m_opener.opened.empty());
    ASSERT_TRUE(fs::is_directory(recordsFolder()));
    EXPECT_TRUE(fs::is_empty(recordsFolder()));
}

// The dialog closes as after a save: a picture that was not saved says so, and why. The file of
// that name stays as it was, and nothing is opened or left behind.
TEST_F(SavePictureTest, PictureNotSavedSaysWhyAndLeavesTheOldFile) {
    const std::string plain = programFolder() + "/plain.txt";
    std::ofstream(plain) << "x";
    const std::string readOnly = programFolder() + "/kept.bmp";
    std::ofstream(readOnly) << "old";
    fs::permissions(readOnly, fs::perms::owner_read);
    const std::string vanishing = programFolder() + "/vanishing";
    fs::create_directory(vanishing);
    m_dialog.during = [&] { fs::remove(vanishing); };
    const std::pair<std::string, std::string> cases[] = {
        {readOnly, "没有写入的权限，文件或文件夹是只读的"},
        {plain + "/sheet.bmp", "文件夹不存在"},
        {vanishing + "/sheet.bmp", "文件夹不存在"},
    };
    for (const auto& [target, why] : cases) {
        m_messages.shown.clear();
        m_dialog.answer = target;
        save();
        ASSERT_EQ(m_messages.shown.size(), 1u) << target;
        EXPECT_EQ(m_messages.shown[0].caption, "信息：");
        EXPECT_EQ(m_messages.shown[0].text, "图片没有保存：" + why + "。");
    }
    EXPECT_TRUE(m_opener.opened.empty());
    std::ifstream kept(readOnly);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "old");
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(programFolder())) {
        left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"kept.bmp", "plain.txt", "出题记录"}));
}

// 90 Chinese characters are 270 bytes, more than a file name may have even for root: the real
// dialog takes the name, the write fails.
TEST_F(SavePictureTest, NameTheRealDialogTakesButCannotBeWrittenBringsTheMessage) {
    QString longName;
    for (int i = 0; i < 90; ++i) longName += QStringLiteral("题");
    QtSaveFileDialog dialog;
    QTimer::singleShot(0, [&longName] {
        auto* shown = dynamic_cast<PictureFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(shown, nullptr);
        shown->selectFile(longName + ".bmp");
        static_cast<QDialog*>(shown)->accept();  // as Enter does
    });
    SaveSheetPicture(&m_sheet, programFolder(), "", dialog, m_opener, m_messages);
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].caption, "信息：");
    EXPECT_EQ(m_messages.shown[0].text, "图片没有保存：文件名太长。");
    EXPECT_TRUE(m_opener.opened.empty());
}

// Qt cannot name a folder whose path is not UTF-8, such as one unpacked from a GBK-named archive:
// such a program's pictures go to the records folder of the per-user folder.
TEST_F(SavePictureTest, ProgramFolderQtCannotNameKeepsPicturesInThePerUserFolder) {
    const std::string gbkFolder = programFolder() + "/\xb3\xf6\xcc\xe2";
    fs::create_directory(gbkFolder);
    const std::string xdg = programFolder() + "/xdg";
    ::setenv("XDG_DATA_HOME", xdg.c_str(), 1);
    SaveSheetPicture(&m_sheet, gbkFolder, "", m_dialog, m_opener, m_messages);
    ::unsetenv("XDG_DATA_HOME");
    ASSERT_EQ(m_dialog.shown.size(), 1u);
    EXPECT_EQ(m_dialog.shown[0].folder, xdg + "/suantiji/出题记录");
    EXPECT_TRUE(fs::is_directory(m_dialog.shown[0].folder));
}

TEST_F(SavePictureTest, ConfirmedOverwriteReplacesTheWholeFile) {
    const std::string target = programFolder() + "/old.bmp";
    std::ofstream(target) << std::string(5'000'000, 'x');
    m_dialog.answer = target;
    save();

    EXPECT_EQ(fs::file_size(target), kSheetFileSize);
    EXPECT_EQ(m_opener.opened.size(), 1u);
}

TEST_F(SavePictureTest, WithoutAPictureNothingIsOffered) {
    m_dialog.answer = programFolder() + "/empty.bmp";
    SaveSheetPicture(nullptr, programFolder(), "", m_dialog, m_opener, m_messages);
    m_model.SetControlSize(0, 0);
    save();

    EXPECT_TRUE(m_dialog.shown.empty());
    EXPECT_TRUE(m_opener.opened.empty());
    EXPECT_FALSE(fs::exists(*m_dialog.answer));
    EXPECT_TRUE(CaptureWindowBitmap(nullptr).empty());
}

TEST_F(SavePictureTest, RealDialogSavesWithoutDefaultExtension) {
    PictureFileDialog dialog(nullptr, {programFolder(), "a.bmp", PictureFilters()});
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_FALSE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_TRUE(dialog.defaultSuffix().isEmpty());
    EXPECT_EQ(dialog.nameFilters().size(), 3);
    EXPECT_EQ(dialog.selectedNameFilter(), "*.bmp");
    EXPECT_EQ(dialog.selectedFiles().value(0).toStdString(), programFolder() + "/a.bmp");

    dialog.open();
    dialog.selectFile(QString::fromStdString(programFolder() + "/x"));
    static_cast<QDialog&>(dialog).accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.selectedFiles().value(0).toStdString(), programFolder() + "/x");
}

}  // namespace
}  // namespace suantiji
