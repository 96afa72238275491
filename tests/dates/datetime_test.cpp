#include "dates/datetime.h"

#include <gtest/gtest.h>

#include <limits>

namespace orvane {
namespace {

DateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    auto t = DateTime::fromParts(y, mo, d, h, mi, s);
    EXPECT_TRUE(t.has_value()) << y << "-" << mo << "-" << d << " " << h << ":" << mi << ":" << s;
    return t.value_or(DateTime{});
}

TEST(DateTimeCalendar, FromPartsAcceptsRealDatesAndRefusesOthers) {
    struct Row {
        const char* name;
        int y, mo, d, h, mi, s;
        bool valid;
    };
    const Row rows[] = {
        {"leap day 2004", 2004, 2, 29, 0, 0, 0, true},
        {"leap day 2000, a 400th year", 2000, 2, 29, 0, 0, 0, true},
        {"no leap day 1900, a 100th year", 1900, 2, 29, 0, 0, 0, false},
        {"no leap day 2003", 2003, 2, 29, 0, 0, 0, false},
        {"April has 30 days", 2001, 4, 31, 0, 0, 0, false},
        {"month 13", 2001, 13, 1, 0, 0, 0, false},
        {"month 0", 2001, 0, 1, 0, 0, 0, false},
        {"day 0", 2001, 5, 0, 0, 0, 0, false},
        {"hour 24", 2001, 5, 3, 24, 0, 0, false},
        {"minute 60", 2001, 5, 3, 10, 60, 0, false},
        {"second 60", 2001, 5, 3, 10, 0, 60, false},
        {"negative hour", 2001, 5, 3, -1, 0, 0, false},
        {"first year", 100, 1, 1, 0, 0, 0, true},
        {"year 99", 99, 12, 31, 0, 0, 0, false},
        {"last moment", 9999, 12, 31, 23, 59, 59, true},
        {"year 10000", 10000, 1, 1, 0, 0, 0, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        auto t = DateTime::fromParts(r.y, r.mo, r.d, r.h, r.mi, r.s);
        ASSERT_EQ(t.has_value(), r.valid);
        if (t) {
            EXPECT_EQ(t->year(), r.y);
            EXPECT_EQ(t->month(), r.mo);
            EXPECT_EQ(t->day(), r.d);
            EXPECT_EQ(t->hour(), r.h);
            EXPECT_EQ(t->minute(), r.mi);
            EXPECT_EQ(t->second(), r.s);
        }
    }
}

TEST(DateTimeCalendar, CountsFromTheZeroDate) {
    EXPECT_EQ(at(1899, 12, 30).seconds(), 0);
    EXPECT_EQ(at(1900, 1, 1).seconds(), 2 * 86400);
    EXPECT_EQ(at(2001, 5, 3, 10, 30).seconds(), 37014 * 86400LL + 10 * 3600 + 30 * 60);
    EXPECT_EQ(DateTime::fromTime(0, 0, 61), DateTime::fromTime(0, 1, 1));
}

TEST(DateTimeCalendar, StepsOverMonthAndYearEnds) {
    EXPECT_EQ(at(2001, 12, 31, 23, 59, 59).addSeconds(1), at(2002, 1, 1));
    EXPECT_EQ(at(2004, 2, 28).addDays(1), at(2004, 2, 29));
    EXPECT_EQ(at(2003, 2, 28).addDays(1), at(2003, 3, 1));
    EXPECT_EQ(at(1900, 2, 28).addDays(1), at(1900, 3, 1));
    EXPECT_EQ(secondsBetween(at(2001, 5, 3, 23, 0), at(2001, 5, 4, 1, 0)), 7200);
    EXPECT_EQ(secondsBetween(at(2001, 5, 4), at(2001, 5, 3)), -86400);
}

TEST(DateTimeCalendar, DayOfWeek) {
    EXPECT_EQ(at(2001, 5, 3).dayOfWeek(), 4);
    EXPECT_EQ(at(1899, 12, 30).dayOfWeek(), 6);
    EXPECT_EQ(at(1899, 12, 24).dayOfWeek(), 0);
    EXPECT_EQ(at(2000, 1, 1).dayOfWeek(), 6);
    EXPECT_EQ(DateTime::fromSeconds(-1).dayOfWeek(), 5);
}

TEST(DateTimeCalendar, ValuesBeforeTheZeroDateFallOnEarlierDays) {
    const DateTime t = DateTime::fromSeconds(-1);
    EXPECT_EQ(t.year(), 1899);
    EXPECT_EQ(t.month(), 12);
    EXPECT_EQ(t.day(), 29);
    EXPECT_EQ(t.timeOfDay(), 86399);
    EXPECT_EQ(t.hour(), 23);
    EXPECT_EQ(t.date().seconds(), -86400);
    EXPECT_EQ(DateTime::fromSeconds(-86400).date().seconds(), -86400);
    EXPECT_EQ(at(1800, 1, 1, 6).timeOfDay(), 6 * 3600);
}

TEST(ParseDateText, AcceptedTexts) {
    struct Row {
        const char* text;
        int y, mo, d, h, mi, s;
        bool hasDate, hasTime;
    };
    const Row rows[] = {
        {"May 3, 2001", 2001, 5, 3, 0, 0, 0, true, false},
        {"May 03, 2001", 2001, 5, 3, 0, 0, 0, true, false},
        {"May 3 2001", 2001, 5, 3, 0, 0, 0, true, false},
        {"may 3, 2001", 2001, 5, 3, 0, 0, 0, true, false},
        {"September 3, 2001", 2001, 9, 3, 0, 0, 0, true, false},
        {"Sep 3, 2001", 2001, 9, 3, 0, 0, 0, true, false},
        {"Sept 3, 2001", 2001, 9, 3, 0, 0, 0, true, false},
        {"3 May 2001", 2001, 5, 3, 0, 0, 0, true, false},
        {"3-May-2001", 2001, 5, 3, 0, 0, 0, true, false},
        {"03-May-01", 2001, 5, 3, 0, 0, 0, true, false},
        {"5/3/2001", 2001, 5, 3, 0, 0, 0, true, false},
        {"5/3/01", 2001, 5, 3, 0, 0, 0, true, false},
        {"5/3/29", 2029, 5, 3, 0, 0, 0, true, false},
        {"5/3/30", 1930, 5, 3, 0, 0, 0, true, false},
        {"05/03/2001", 2001, 5, 3, 0, 0, 0, true, false},
        {"2001-05-03", 2001, 5, 3, 0, 0, 0, true, false},
        {"Feb 29, 2004", 2004, 2, 29, 0, 0, 0, true, false},
        {"Thursday, May 3, 2001", 2001, 5, 3, 0, 0, 0, true, false},
        {"  May 3, 2001\t", 2001, 5, 3, 0, 0, 0, true, false},
        {"10:30", 1899, 12, 30, 10, 30, 0, false, true},
        {"10:30:00", 1899, 12, 30, 10, 30, 0, false, true},
        {"10:30:00 AM", 1899, 12, 30, 10, 30, 0, false, true},
        {"10:30 pm", 1899, 12, 30, 22, 30, 0, false, true},
        {"10:30PM", 1899, 12, 30, 22, 30, 0, false, true},
        {"12:00:00 AM", 1899, 12, 30, 0, 0, 0, false, true},
        {"12:30 PM", 1899, 12, 30, 12, 30, 0, false, true},
        {"May 03, 2001   10:30:00 AM", 2001, 5, 3, 10, 30, 0, true, true},
        {"May 3, 2001  10:30:00 PM", 2001, 5, 3, 22, 30, 0, true, true},
        {"5/3/2001 10:30:00 AM", 2001, 5, 3, 10, 30, 0, true, true},
        {"May 3, 2001 10:30:00", 2001, 5, 3, 10, 30, 0, true, true},
        {"Jan 1, 2000 00:00:00", 2000, 1, 1, 0, 0, 0, true, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        auto p = parseDateText(r.text);
        ASSERT_TRUE(p.has_value());
        EXPECT_EQ(p->value, at(r.y, r.mo, r.d, r.h, r.mi, r.s));
        EXPECT_EQ(p->hasDate, r.hasDate);
        EXPECT_EQ(p->hasTime, r.hasTime);
    }
    EXPECT_EQ(toDateTime("0:05:00")->seconds(), 300);
}

TEST(ParseDateText, RefusedTexts) {
    const char* rows[] = {
        "",
        "   ",
        "hello",
        "May 32, 2001",
        "Feb 29, 2003",
        "13/1/2001",
        "10:60",
        "25:00",
        "24:00",
        "13:00 PM",
        "0:30 AM",
        "May 3, 2001 garbage",
        "5/3",
        "May 3",
        "2001-02-30",
        "May 3, 2001,",
        "3-May 2001",
        "Friday, May 3, 2001",
        "Thursday",
        "10:30 xm",
        "5/3/12001",
        "May 3 10:30",
        "May 3, 2001,10:30",
        "1/1/0099",
    };
    for (const char* text : rows) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(parseDateText(text).has_value());
        EXPECT_FALSE(isDate(text));
    }
}

TEST(FormatDate, PatternsAndNamedFormats) {
    const DateTime may3 = at(2001, 5, 3, 10, 30);
    struct Row {
        const char* name;
        DateTime value;
        const char* pattern;
        const char* expected;
    };
    const Row rows[] = {
        {"long date, padded day", may3, "mmmm dd, yyyy   h:mm:ss AM/PM",
         "May 03, 2001   10:30:00 AM"},
        {"long date", may3, "mmmm d, yyyy   h:mm:ss AM/PM", "May 3, 2001   10:30:00 AM"},
        {"short month", may3, "mmm d, yyyy", "May 3, 2001"},
        {"short month with time", may3, "mmm d, yyyy  h:mm:ss AM/PM", "May 3, 2001  10:30:00 AM"},
        {"n for minutes", may3, "mmm d, yyyy hh:nn:ss", "May 3, 2001 10:30:00"},
        {"full month name", at(2001, 9, 3), "mmmm d", "September 3"},
        {"m before s is minutes", may3, "mm:ss", "30:00"},
        {"numeric month and minutes", may3, "mm/dd/yy hh:mm", "05/03/01 10:30"},
        {"weekday names", may3, "ddd dddd", "Thu Thursday"},
        {"short time value", DateTime::fromTime(0, 1, 30), "h:mm:ss", "0:01:30"},
        {"padded time value", DateTime::fromTime(0, 1, 30), "hh:mm:ss", "00:01:30"},
        {"afternoon", DateTime::fromTime(22, 5, 9), "h:mm:ss AM/PM", "10:05:09 PM"},
        {"midnight, 12-hour", at(2001, 5, 3), "h:mm am/pm", "12:00 am"},
        {"noon, single letter", at(2001, 5, 3, 12), "h A/P a/p", "12 P p"},
        {"literal text kept", may3, "T-0 \"x\"", "T-0 \"x\""},
        {"general", may3, "General Date", "5/3/2001 10:30:00 AM"},
        {"general at midnight", at(2001, 5, 3), "General Date", "5/3/2001"},
        {"general on zero date", DateTime::fromTime(10, 30, 0), "General Date", "10:30:00 AM"},
        {"general zero", DateTime{}, "General Date", "12:00:00 AM"},
        {"general before zero", DateTime::fromSeconds(-1), "General Date",
         "12/29/1899 11:59:59 PM"},
        {"short date", may3, "Short Date", "5/3/2001"},
        {"long time", may3, "Long Time", "10:30:00 AM"},
        {"short time", may3, "Short Time", "10:30"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(formatDate(r.value, r.pattern), r.expected);
    }
}

TEST(FormatDate, WrittenTextsReadBack) {
    enum Keeps { Everything, DateOnly, TimeOnly };
    struct Pattern {
        const char* pattern;
        Keeps keeps;
    };
    const Pattern patterns[] = {
        {"mmmm dd, yyyy   h:mm:ss AM/PM", Everything},
        {"mmmm d, yyyy   h:mm:ss AM/PM", Everything},
        {"mmm d, yyyy  h:mm:ss AM/PM", Everything},
        {"mmm d, yyyy hh:nn:ss", Everything},
        {"General Date", Everything},
        {"mmm d, yyyy", DateOnly},
        {"Short Date", DateOnly},
        {"h:mm:ss", TimeOnly},
        {"hh:mm:ss", TimeOnly},
        {"h:mm:ss AM/PM", TimeOnly},
        {"Long Time", TimeOnly},
    };
    const DateTime values[] = {
        at(2001, 5, 3, 10, 30),
        at(2004, 2, 29, 23, 59, 59),
        at(2000, 2, 29, 12),
        at(1999, 12, 31, 0, 0, 1),
        at(2000, 1, 1),
        at(2001, 1, 1, 12, 0, 0),
        at(100, 1, 1),
        at(100, 3, 1, 0, 30),
        at(9999, 12, 31, 23, 59, 59),
        at(1899, 12, 30, 13, 5),
        at(1899, 12, 29, 6),
        DateTime{},
    };
    for (const Pattern& p : patterns) {
        for (const DateTime& v : values) {
            const std::string text = formatDate(v, p.pattern);
            SCOPED_TRACE(std::string(p.pattern) + " -> " + text);
            auto back = toDateTime(text);
            ASSERT_TRUE(back.has_value());
            switch (p.keeps) {
            case Everything:
                EXPECT_EQ(*back, v);
                break;
            case DateOnly:
                EXPECT_EQ(*back, v.date());
                break;
            case TimeOnly:
                EXPECT_EQ(back->seconds(), v.timeOfDay());
                break;
            }
        }
    }
}

TEST(Numbers, FormatNumberPadsToThePattern) {
    EXPECT_EQ(formatNumber(5, "000"), "005");
    EXPECT_EQ(formatNumber(1234, "000"), "1234");
    EXPECT_EQ(formatNumber(-5, "00"), "-05");
    EXPECT_EQ(formatNumber(0, "00"), "00");
    EXPECT_EQ(formatNumber(7, "0"), "7");
    EXPECT_EQ(formatNumber(std::numeric_limits<std::int64_t>::min(), "0"), "-9223372036854775808");
}

TEST(Numbers, ParseWholeNumber) {
    struct Row {
        const char* text;
        std::optional<std::int64_t> expected;
    };
    const Row rows[] = {
        {" 12 ", 12},
        {"-3", -3},
        {"+4", 4},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"- 3", std::nullopt},
        {"1.5", std::nullopt},
        {"abc", std::nullopt},
        {"12a", std::nullopt},
        {"9223372036854775807", std::numeric_limits<std::int64_t>::max()},
        {"-9223372036854775808", std::numeric_limits<std::int64_t>::min()},
        {"9223372036854775808", std::nullopt},
        {"99999999999999999999", std::nullopt},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(parseWholeNumber(r.text), r.expected);
    }
}

TEST(Numbers, LeadingNumber) {
    struct Row {
        const char* text;
        std::int64_t expected;
    };
    const Row rows[] = {
        {"-600", -600},
        {"+600", 600},
        {"600", 600},
        {"", 0},
        {"abc", 0},
        {"12abc", 12},
        {"-", 0},
        {"-0", 0},
        {"+ 5", 0},
        {"  42 s", 42},
        {"99999999999999999999", std::numeric_limits<std::int64_t>::max()},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(leadingNumber(r.text), r.expected);
    }
}

} // namespace
} // namespace orvane
