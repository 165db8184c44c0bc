#include "ui/qt_message_box.h"

#include <QApplication>
#include <QMessageBox>

namespace suantiji {

void QtMessageBox::Show(const std::string& caption, const std::string& text, MessageIcon icon) {
    QMessageBox::Icon qtIcon = QMessageBox::Information;
    if (icon == MessageIcon::Warning) qtIcon = QMessageBox::Warning;
    if (icon == MessageIcon::Error) qtIcon = QMessageBox::Critical;
    QMessageBox box(qtIcon, QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    // The box is answered with the usual pointer, even in the middle of a busy operation.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    QApplication::restoreOverrideCursor();
}

}  // namespace suantiji
