#include "ui/qt_message_box.h"

#include <QMessageBox>

namespace suantiji {

void QtMessageBox::Show(const std::string& caption, const std::string& text, MessageIcon icon) {
    QMessageBox::Icon qtIcon = QMessageBox::Information;
    if (icon == MessageIcon::Warning) qtIcon = QMessageBox::Warning;
    if (icon == MessageIcon::Error) qtIcon = QMessageBox::Critical;
    QMessageBox box(qtIcon, QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

}  // namespace suantiji
