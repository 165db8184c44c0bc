#include "ui/locale_names.h"

#include <QLocale>

namespace suantiji {

LocaleNames SystemLocaleNames() {
    const QLocale locale = QLocale::system();
    LocaleNames names;
    for (int day = 0; day < 7; ++day) {
        const int qtDay = day == 0 ? 7 : day;  // Qt counts Monday 1 to Sunday 7
        names.longDayNames[day] = locale.dayName(qtDay, QLocale::LongFormat).toStdString();
        names.shortDayNames[day] = locale.dayName(qtDay, QLocale::ShortFormat).toStdString();
    }
    for (int month = 0; month < 12; ++month) {
        names.longMonthNames[month] =
            locale.standaloneMonthName(month + 1, QLocale::LongFormat).toStdString();
        names.shortMonthNames[month] =
            locale.standaloneMonthName(month + 1, QLocale::ShortFormat).toStdString();
    }
    names.am = locale.amText().toStdString();
    names.pm = locale.pmText().toStdString();
    return names;
}

}  // namespace suantiji
