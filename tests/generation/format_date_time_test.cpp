#include "generation/format_date_time.h"

#include <gtest/gtest.h>

#include "generation/sheet_layout.h"

namespace suantiji {
namespace {

LocaleNames chineseNames() {
    LocaleNames names;
    names.longDayNames = {"星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六"};
    return names;
}

// 7 December 2026 is a Monday.
constexpr DateTimeFields kMorning{2026, 12, 7, 1, 9, 5, 3};

TEST(FormatDateTime, SheetTimestampInTheUsersLanguage) {
    EXPECT_EQ(MakeSheetTimestamp(kMorning, chineseNames()), "2026/12/7 星期一 09:05:03");
    EXPECT_EQ(MakeSheetTimestamp(kMorning, {}), "2026/12/7 Monday 09:05:03");
    DateTimeFields afternoon = kMorning;
    afternoon.hour = 14;
    afternoon.minute = 15;
    afternoon.second = 0;
    EXPECT_EQ(MakeSheetTimestamp(afternoon, {}), "2026/12/7 Monday 14:15:00");
}

TEST(FormatDateTime, PicturesAndLiterals) {
    DateTimeFields t{2005, 3, 4, 5, 0, 7, 9};
    EXPECT_EQ(FormatDateTime(t, "yy-MM-dd ddd MMM MMMM", "", false), "05-03-04 Fri Mar March");
    EXPECT_EQ(FormatDateTime(t, "", "h:mm:ss tt", false), "12:07:09 AM");
    EXPECT_EQ(FormatDateTime(t, "", "h:mm:ss tt", true), "0:07:09 AM");
    EXPECT_EQ(FormatDateTime(t, "'dd' d", "'at' HH", true), "dd 4at 00");
}

TEST(FormatDateTime, ShortFormatsAreLeftOut) {
    EXPECT_EQ(FormatDateTime(kMorning, "yy", " hh:mm", true), " 09:05");
    EXPECT_EQ(FormatDateTime(kMorning, "d/M", "hh", true), "7/12");
}

TEST(FormatDateTime, FieldsThatNameNoDayGiveEmptyText) {
    EXPECT_EQ(FormatDateTime({2026, 2, 29, 0, 0, 0, 0}, "yyyy", "", true), "");
    EXPECT_EQ(FormatDateTime({2024, 2, 29, 4, 0, 0, 0}, "yyyy", "", true), "2024");
    EXPECT_EQ(FormatDateTime({2026, 13, 1, 0, 0, 0, 0}, "yyyy", "", true), "");
    EXPECT_EQ(FormatDateTime({2026, 1, 1, 7, 0, 0, 0}, "yyyy", "", true), "");
    EXPECT_EQ(FormatDateTime({2026, 1, 1, 4, 24, 0, 0}, "yyyy", "", true), "");
}

}  // namespace
}  // namespace suantiji
