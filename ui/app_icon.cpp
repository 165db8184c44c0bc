#include "ui/app_icon.h"

namespace suantiji {

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        icon.addFile(QStringLiteral(":/icons/suantiji-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

}  // namespace suantiji
