#pragma once

#include <array>
#include <string>
#include <string_view>

namespace suantiji {

// A local date and time in calendar fields; weekday 0 is Sunday.
struct DateTimeFields {
    int year = 0;
    int month = 0;
    int day = 0;
    int weekday = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The user's language for dates: day and month names and the AM/PM designators. The window
// takes them from the locale of the environment; the default is English.
struct LocaleNames {
    std::array<std::string, 7> longDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};
    std::array<std::string, 7> shortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::array<std::string, 12> longMonthNames{"January",   "February", "March",    "April",
                                               "May",       "June",     "July",     "August",
                                               "September", "October",  "November", "December"};
    std::array<std::string, 12> shortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::string am = "AM";
    std::string pm = "PM";
};

// The current local time, to the second.
DateTimeFields LocalNow();

// Date part (format of 3 bytes or more) followed directly by the time part (likewise).
// Date pictures: d dd ddd dddd, M MM MMM MMMM, y yy yyyy; time pictures: h hh H HH, m mm, s ss,
// t tt; text in single quotes is literal, every other character is copied. With `force24Hour`
// h and hh count 0 to 23. Fields that name no real date or time give the empty text.
std::string FormatDateTime(const DateTimeFields& when, std::string_view dateFormat,
                           std::string_view timeFormat, bool force24Hour,
                           const LocaleNames& names = {});

}  // namespace suantiji
