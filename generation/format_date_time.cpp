#include "generation/format_date_time.h"

#include <ctime>

namespace suantiji {

namespace {

bool isLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

bool isValid(const DateTimeFields& t) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (t.year < 1 || t.year > 9999 || t.month < 1 || t.month > 12) return false;
    const int days = kDays[t.month - 1] + (t.month == 2 && isLeap(t.year) ? 1 : 0);
    return t.day >= 1 && t.day <= days && t.weekday >= 0 && t.weekday <= 6 && t.hour >= 0 &&
           t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 59;
}

void appendNumber(std::string& out, int value, int width) {
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width) out.append(width - digits.size(), '0');
    out += digits;
}

// Length of the run of `c` starting at `i`.
std::size_t runLength(std::string_view format, std::size_t i) {
    std::size_t n = 1;
    while (i + n < format.size() && format[i + n] == format[i]) ++n;
    return n;
}

// Copies the text between a quote at `i` and the next quote; returns the index after it.
std::size_t appendQuoted(std::string& out, std::string_view format, std::size_t i) {
    const std::size_t end = format.find('\'', i + 1);
    if (end == std::string_view::npos) {
        out.append(format.substr(i + 1));
        return format.size();
    }
    out.append(format.substr(i + 1, end - i - 1));
    return end + 1;
}

std::string formatDate(const DateTimeFields& t, std::string_view format, const LocaleNames& names) {
    std::string out;
    for (std::size_t i = 0; i < format.size();) {
        const char c = format[i];
        if (c == '\'') {
            i = appendQuoted(out, format, i);
            continue;
        }
        const std::size_t n = runLength(format, i);
        if (c == 'd') {
            if (n == 1 || n == 2) appendNumber(out, t.day, static_cast<int>(n));
            if (n == 3) out += names.shortDayNames[t.weekday];
            if (n >= 4) out += names.longDayNames[t.weekday];
        } else if (c == 'M') {
            if (n == 1 || n == 2) appendNumber(out, t.month, static_cast<int>(n));
            if (n == 3) out += names.shortMonthNames[t.month - 1];
            if (n >= 4) out += names.longMonthNames[t.month - 1];
        } else if (c == 'y') {
            if (n == 1) appendNumber(out, t.year % 100, 1);
            if (n == 2) appendNumber(out, t.year % 100, 2);
            if (n >= 3) appendNumber(out, t.year, 4);
        } else {
            out.append(format.substr(i, n));
        }
        i += n;
    }
    return out;
}

std::string formatTime(const DateTimeFields& t, std::string_view format, bool force24Hour,
                       const LocaleNames& names) {
    std::string out;
    for (std::size_t i = 0; i < format.size();) {
        const char c = format[i];
        if (c == '\'') {
            i = appendQuoted(out, format, i);
            continue;
        }
        const std::size_t n = runLength(format, i);
        const int width = n >= 2 ? 2 : 1;
        if (c == 'h') {
            const int twelve = t.hour % 12 == 0 ? 12 : t.hour % 12;
            appendNumber(out, force24Hour ? t.hour : twelve, width);
        } else if (c == 'H') {
            appendNumber(out, t.hour, width);
        } else if (c == 'm') {
            appendNumber(out, t.minute, width);
        } else if (c == 's') {
            appendNumber(out, t.second, width);
        } else if (c == 't') {
            const std::string& marker = t.hour < 12 ? names.am : names.pm;
            out += n == 1 ? marker.substr(0, 1) : marker;
        } else {
            out.append(format.substr(i, n));
        }
        i += n;
    }
    return out;
}

}  // namespace

DateTimeFields LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_wday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::string FormatDateTime(const DateTimeFields& when, std::string_view dateFormat,
                           std::string_view timeFormat, bool force24Hour,
                           const LocaleNames& names) {
    if (!isValid(when)) return {};
    std::string result;
    if (dateFormat.size() >= 3) result += formatDate(when, dateFormat, names);
    if (timeFormat.size() >= 3) result += formatTime(when, timeFormat, force24Hour, names);
    return result;
}

}  // namespace suantiji
