#include "game/world/daily.h"

#include <gtest/gtest.h>

namespace {

// Pinned from an independent computation (Python's datetime and the published formula). A change
// here changes every player's daily dig and orphans every stored daily run.
struct KnownDay {
    const char* text;
    int64_t days;
    uint32_t seed;
    int64_t start;
};
constexpr KnownDay kKnownDays[] = {
    {"2000-01-01", 10957, 3299984217u, 946684800},
    {"2000-02-29", 11016, 2126037582u, 951782400},  // a leap day of a century divisible by 400
    {"2024-02-29", 19782, 636938509u, 1709164800},
    {"2024-03-01", 19783, 1720594381u, 1709251200},
    {"2025-12-31", 20453, 3482369656u, 1767139200},
    {"2026-01-01", 20454, 3101564752u, 1767225600},
    {"2100-03-01", 47541, 2778547812u, 4107542400},
    {"9999-12-31", 2932896, 1421027425u, 253402214400},
};

TEST(Daily, KnownDatesGiveTheirDaysSeedsAndStarts) {
    for (const KnownDay& known : kKnownDays) {
        SCOPED_TRACE(known.text);
        const std::optional<daily::Date> date = daily::parse_date(known.text);
        ASSERT_TRUE(date.has_value());
        EXPECT_EQ(daily::days_since_epoch(*date), known.days);
        EXPECT_EQ(daily::seed_of(*date), known.seed);
        EXPECT_EQ(daily::day_start(*date), known.start);
        EXPECT_EQ(daily::format_date(*date), known.text);
        // The day's first and last seconds both fall on it.
        EXPECT_EQ(daily::date_at(known.start), *date);
        EXPECT_EQ(daily::date_at(known.start + daily::kSecondsPerDay - 1), *date);
    }
}

TEST(Daily, EveryDayFollowsTheOneBefore) {
    // Four hundred years repeat the calendar exactly: every leap rule is crossed.
    daily::Date previous = *daily::parse_date("2000-01-01");
    for (int64_t day = 10958; day < 10957 + 146097; ++day) {
        const daily::Date date = daily::date_at(day * daily::kSecondsPerDay);
        ASSERT_EQ(daily::days_since_epoch(date), day);
        ASSERT_EQ(daily::parse_date(daily::format_date(date)), date);
        ASSERT_TRUE(date.day == previous.day + 1 || (date.day == 1 && previous.day >= 28));
        previous = date;
    }
    EXPECT_EQ(daily::format_date(previous), "2399-12-31");
    // Before 1970 the days count down rather than round toward zero.
    EXPECT_EQ(daily::format_date(daily::date_at(-1)), "1969-12-31");
}

TEST(Daily, RefusesAnythingButARealDateInRange) {
    for (const char* bad :
         {"", "2024-2-29", "2024-02-29 ", " 2024-02-29", "2024/02/29", "2023-02-29", "2100-02-29",
          "2024-04-31", "2024-13-01", "2024-00-10", "2024-01-00", "1999-12-31", "+202-01-01",
          "2024-01-0x", "20240101", "2024-01-01T00:00:00Z", "９９９９-01-01"}) {
        EXPECT_FALSE(daily::parse_date(bad).has_value()) << bad;
    }
}

TEST(Daily, DateIsOpenFromItsStartUntilTwoDaysAfterItsEnd) {
    const daily::Date date = *daily::parse_date("2024-02-29");
    const int64_t start = 1709164800;
    const struct {
        int64_t now;
        bool open;
    } cases[] = {
        {start - 1, false},
        {start, true},
        {start + daily::kSecondsPerDay, true},  // the next day
        {start + 3 * daily::kSecondsPerDay - 1, true},
        {start + 3 * daily::kSecondsPerDay, false},
    };
    for (const auto& c : cases) EXPECT_EQ(daily::is_open(date, c.now), c.open) << c.now - start;
}

}  // namespace
