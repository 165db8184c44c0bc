#include "ui/qt_translations.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QTimer>

#include "output/qt_save_dialog.h"
#include "ui/qt_message_box.h"

namespace suantiji {
namespace {

QStringList buttonTexts(const QWidget* dialog) {
    QStringList texts;
    if (const auto* box = dialog->findChild<QDialogButtonBox*>()) {
        for (const QAbstractButton* button : box->buttons()) texts << button->text();
    }
    return texts;
}

// The test environment's language is not Chinese; the dialogs must be all the same.
TEST(ChineseQtTexts, SaveDialogAndMessageBoxButtonsReadChinese) {
    ASSERT_TRUE(InstallChineseQtTexts()) << "qt6-translations-l10n is not installed";

    PictureFileDialog dialog(nullptr, {"/tmp", "sheet.bmp", {"*.bmp"}});
    const QStringList saveButtons = buttonTexts(&dialog);
    ASSERT_EQ(saveButtons.size(), 2) << saveButtons.join(' ').toStdString();
    EXPECT_TRUE(saveButtons.contains(QStringLiteral("保存(&S)")))
        << saveButtons.join(' ').toStdString();
    EXPECT_TRUE(saveButtons.contains(QStringLiteral("取消")))
        << saveButtons.join(' ').toStdString();

    QStringList boxButtons;
    QTimer::singleShot(0, [&boxButtons] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        boxButtons = buttonTexts(box);
        box->close();
    });
    QtMessageBox().Show("信息：", "默认打印机设置成功！", MessageIcon::Information);
    EXPECT_EQ(boxButtons, QStringList{QStringLiteral("确定")});
}

}  // namespace
}  // namespace suantiji
