#include "game/profile/records.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

Record at(double depth, double length, const std::string& date, uint32_t seed = 1) {
    return Record{depth, length, date, seed, 90.5, {}};
}

const std::string kHeader = "burrowgale records 1\n";
const std::string kGood =
    "depth=1.25 length=3.5 date=2026-12-08T07:46:00.123Z seed=42 play_time=61.5\n";

TEST(Records, RoundTripKeepsEveryValueExactlyAndReadably) {
    Records records;
    records.add(at(1.25, 3.5, "2026-12-08T07:46:00.123Z", 42));
    records.add(Record{0.1 + 0.2, 1.0 / 3.0, "2027-02-28T23:59:59.999Z", 4294967295u, 0.016, {}});
    // Assisted games, marked each way; an unassisted line is as older games wrote it.
    records.add(Record{0.5, 2.0, "2026-12-09T01:00:00.000Z", 3, 12.5, {70, false}});
    records.add(Record{0.5, 2.0, "2026-12-09T01:00:01.000Z", 4, 12.5, {100, true}});
    records.add(Record{0.5, 2.0, "2026-12-09T01:00:02.000Z", 5, 12.5, {50, true}});
    const std::string text = records.serialise();
    EXPECT_EQ(text.substr(0, kHeader.size()), kHeader);
    for (const char* line :
         {"depth=1.25 length=3.5 date=2026-12-08T07:46:00.123Z seed=42 play_time=90.5\n",
          "seed=3 play_time=12.5 speed=70\n", "seed=4 play_time=12.5 one_switch=1\n",
          "seed=5 play_time=12.5 speed=50 one_switch=1\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
    }
    std::vector<Record> back;
    std::string error;
    ASSERT_TRUE(Records::parse(text, back, error)) << error;
    EXPECT_EQ(back, records.table);

    // A file written before the assists were kept reads as unassisted games.
    ASSERT_TRUE(Records::parse(kHeader + kGood, back, error)) << error;
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].assists, Assists{});

    Records empty;
    ASSERT_TRUE(Records::parse(empty.serialise(), back, error)) << error;
    EXPECT_TRUE(back.empty());
}

TEST(Records, DeeperFirstThenLongerThenEarlier) {
    Records records;
    records.add(at(2.0, 5.0, "2026-01-01T00:00:02.000Z"));
    records.add(at(3.0, 1.0, "2026-01-01T00:00:03.000Z"));
    records.add(at(2.0, 5.0, "2026-01-01T00:00:01.000Z"));
    records.add(at(2.0, 6.0, "2026-01-01T00:00:04.000Z"));
    ASSERT_EQ(records.table.size(), 4u);
    EXPECT_EQ(records.table[0].depth, 3.0);
    EXPECT_EQ(records.table[1].length, 6.0);
    EXPECT_EQ(records.table[2].date, "2026-01-01T00:00:01.000Z");
    EXPECT_EQ(records.table[3].date, "2026-01-01T00:00:02.000Z");
    EXPECT_EQ(records.best_depth(), 3.0);
    EXPECT_EQ(records.best_length(), 6.0);
}

TEST(Records, TheEleventhRecordDropsOutAndIsReported) {
    Records records;
    for (int i = 0; i < 10; ++i) {
        const std::string date = "2026-01-01T00:00:0" + std::to_string(i) + ".000Z";
        EXPECT_TRUE(records.add(at(1.0 + i, 1.0, date)).empty());
    }
    // Shallower than all ten: it is itself what drops out.
    const Record shallow = at(0.5, 99.0, "2026-01-02T00:00:00.000Z");
    EXPECT_EQ(records.add(shallow), std::vector<Record>{shallow});
    EXPECT_EQ(records.table.size(), 10u);
    // Deeper: the shallowest of the ten goes.
    const std::vector<Record> dropped = records.add(at(20.0, 1.0, "2026-01-03T00:00:00.000Z"));
    ASSERT_EQ(dropped.size(), 1u);
    EXPECT_EQ(dropped[0].depth, 1.0);
    EXPECT_EQ(records.table.front().depth, 20.0);
    EXPECT_EQ(records.table.back().depth, 2.0);
    // A tie with the tenth at depth and length: the earlier date stays.
    const std::vector<Record> later = records.add(at(2.0, 1.0, "2026-01-04T00:00:00.000Z"));
    ASSERT_EQ(later.size(), 1u);
    EXPECT_EQ(later[0].date, "2026-01-04T00:00:00.000Z");
}

TEST(Records, MergingCountsARecordInBothTablesOnce) {
    Records mine;
    mine.add(at(1.0, 1.0, "2026-01-01T00:00:01.000Z"));
    mine.add(at(2.0, 1.0, "2026-01-01T00:00:02.000Z"));
    Records theirs;
    theirs.add(at(2.0, 1.0, "2026-01-01T00:00:02.000Z"));
    theirs.add(at(3.0, 1.0, "2026-01-01T00:00:03.000Z"));
    EXPECT_TRUE(mine.merge(theirs.table).empty());
    ASSERT_EQ(mine.table.size(), 3u);
    EXPECT_EQ(mine.table[0].depth, 3.0);
}

TEST(Records, IdNamesARecordByItsDateAndSeed) {
    EXPECT_EQ(at(1.0, 1.0, "2026-12-08T07:46:00.123Z", 42).id(), "20261208T074600123Z-42");
    EXPECT_NE(at(1.0, 1.0, "2026-12-08T07:46:00.123Z", 42).id(),
              at(1.0, 1.0, "2026-12-08T07:46:00.124Z", 42).id());
}

TEST(Records, DatesAreUtcIso8601WithMilliseconds) {
    EXPECT_EQ(iso_date(0), "1970-01-01T00:00:00.000Z");
    EXPECT_EQ(iso_date(1796715960123), "2026-12-08T07:46:00.123Z");
    EXPECT_TRUE(valid_iso_date("2024-02-29T23:59:59.999Z"));
    for (const char* bad :
         {"2023-02-29T00:00:00.000Z", "2026-13-01T00:00:00.000Z", "2026-12-32T00:00:00.000Z",
          "2026-12-08T24:00:00.000Z", "1969-12-31T23:59:59.999Z", "90000-01-01T00:00:00.000Z",
          "2026-12-08 07:46:00.123Z", "2026-12-08T07:46:00Z", ""}) {
        EXPECT_FALSE(valid_iso_date(bad)) << bad;
    }
}

// Every kind of bad file is refused as a whole, with the line that gave it away.
TEST(Records, BadFilesAreRefusedNamingTheLine) {
    const std::string good =
        kHeader + "depth=1 length=3.5 date=2026-12-08T07:46:00.123Z seed=1 play_time=1";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "empty"},
        {"\x89PNG\r\n\x1a\n garbage\n", "line 1"},
        {kHeader + kGood.substr(0, 30), "cut off"},
        {kHeader + kGood + kGood.substr(0, 20) + "\n", "line 3"},
        {"burrowgale records 2\n" + kGood, "version '2'"},
        {kHeader + "depth=-1 length=3.5 date=2026-12-08T07:46:00.123Z seed=42 play_time=1\n",
         "impossible depth"},
        {kHeader + "depth=nan length=3.5 date=2026-12-08T07:46:00.123Z seed=42 play_time=1\n",
         "impossible depth"},
        {kHeader + "depth=1 length=1e300 date=2026-12-08T07:46:00.123Z seed=42 play_time=1\n",
         "impossible length"},
        {kHeader + "depth=1 length=3.5 date=90000-12-08T07:46:00.123Z seed=42 play_time=1\n",
         "impossible date"},
        {kHeader + "depth=1 length=3.5 date=2026-12-08T07:46:00.123Z seed=4294967296 "
                   "play_time=1\n",
         "impossible seed"},
        {kHeader + "depth=1 length=3.5 date=2026-12-08T07:46:00.123Z seed=1 play_time=-2\n",
         "impossible play time"},
        {kHeader + "depth=1 length=3.5 date=2026-12-08T07:46:00.123Z seed=1\n", "no play_time"},
        {kHeader + "depth=1 depth=2 length=3.5 date=2026-12-08T07:46:00.123Z seed=1 "
                   "play_time=1\n",
         "given twice"},
        {good + " x=1\n", "unknown fields"},
        {kHeader + std::string(1 << 20, '7') + "\n", "too long"},
        {good + " speed=55\n", "impossible speed '55'"},
        {good + " speed=-70\n", "impossible speed"},
        {good + " one_switch=yes\n", "impossible one_switch 'yes'"},
    };
    for (const auto& [text, why] : cases) {
        std::vector<Record> out;
        std::string error;
        EXPECT_FALSE(Records::parse(text, out, error)) << text.substr(0, 80);
        EXPECT_NE(error.find(why), std::string::npos) << error;
        EXPECT_TRUE(out.empty());
    }
    std::string eleven = kHeader;
    for (int i = 0; i < 11; ++i) eleven += kGood;
    std::vector<Record> out;
    std::string error;
    EXPECT_FALSE(Records::parse(eleven, out, error));
    EXPECT_NE(error.find("line 12: more than 10"), std::string::npos) << error;
}

}  // namespace
