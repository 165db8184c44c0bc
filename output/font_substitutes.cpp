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
    // The first family that has a glyph draws it. The CJK sans draws ÷ at the sheet's 10 to 13
    // pixels with dots that fuse into the bar or fade to grey, so that it reads as +; this
    // Latin sans keeps them dark and apart. Chinese text still comes from the CJK sans.
    QStringList sansFamilies{sans};
    const QString latin =
        firstPresent({QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")});
    if (!latin.isEmpty()) sansFamilies.prepend(latin);
    for (const QString& face : {QStringLiteral("黑体"), QStringLiteral("SimHei")}) {
        QFont::removeSubstitutions(face);
        QFont::insertSubstitutions(face, sansFamilies);
    }
    for (const QString& face : {QStringLiteral("SimSun"), QStringLiteral("宋体")}) {
        QFont::removeSubstitutions(face);
        QFont::insertSubstitution(face, serif);
    }
}

}  // namespace suantiji
