#include "output/font_substitutes.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace suantiji {

namespace {

QString firstPresent(const QStringList& candidates) {
    const QStringList families = QFontDatabase::families();
    for (const QString& candidate : candidates) {
        if (families.contains(candidate, Qt::CaseInsensitive)) return candidate;
    }
    return {};
}

}  // namespace

void InstallFontSubstitutes() {
    const QString sans = firstPresent(
        {QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC"),
         QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Droid Sans Fallback")});
    QString serif =
        firstPresent({QStringLiteral("Noto Serif CJK SC"), QStringLiteral("AR PL UMing CN"),
                      QStringLiteral("WenQuanYi Zen Hei Sharp")});
    if (serif.isEmpty()) serif = sans;
    if (sans.isEmpty()) return;
    for (const QString& face : {QStringLiteral("黑体"), QStringLiteral("SimHei")}) {
        QFont::removeSubstitutions(face);
        QFont::insertSubstitution(face, sans);
    }
    for (const QString& face : {QStringLiteral("SimSun"), QStringLiteral("宋体")}) {
        QFont::removeSubstitutions(face);
        QFont::insertSubstitution(face, serif);
    }
}

}  // namespace suantiji
