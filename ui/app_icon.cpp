#include "ui/app_icon.h"

// The icons are compiled into a static library, whose resource object the linker drops unless
// something refers to it; this reference keeps it. Outside any namespace, as Qt requires.
static void initIconResources() { Q_INIT_RESOURCE(icons); }

namespace suantiji {

QIcon AppIcon() {
    initIconResources();
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        icon.addFile(QStringLiteral(":/icons/suantiji-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

}  // namespace suantiji
