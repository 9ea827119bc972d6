#include "epoch_table.hpp"

#include <gtest/gtest.h>

using namespace bandconv;
using snphot::LightCurveRow;

TEST(DayNumber, ChangesAtHalfADay) {
    EXPECT_EQ(day_number(55000.49f), 55000);
    EXPECT_EQ(day_number(55000.51f), 55001);
    EXPECT_EQ(day_number(55000.5f), 55001);
    EXPECT_EQ(day_number(55001.49f), 55001);
    EXPECT_EQ(day_number(-0.7f), 0); // truncation toward zero, not the floor
    EXPECT_EQ(day_number(-1.6f), -1);
}

TEST(EpochTable, FirstSlotRecordsNeverMerge) {
    EpochTable table;
    table.add_first_slot({55000.5f, 16.1f, 0.01f, 0.02f});
    table.add_first_slot({55000.75f, 16.2f, 0.01f, 0.02f}); // same day number, a row of its own
    table.merge(1, {55001.25f, 15.9f, 0.03f, 0.04f});       // day 55001: only the first row
    ASSERT_EQ(table.rows().size(), 2u);
    EXPECT_EQ(table.rows()[0].bands[1].mag, 15.9f);
    EXPECT_EQ(table.rows()[0].bands[1].error, 0.03f);
    EXPECT_EQ(table.rows()[0].bands[1].calib, 0.04f);
    EXPECT_EQ(table.rows()[1].bands[1].mag, 0.0f);
    EXPECT_EQ(table.rows()[1].time, 55000.75f);
}

TEST(EpochTable, LaterSlotsMergeByDayNumberOrOpenRows) {
    EpochTable table;
    table.add_first_slot({55000.49f, 16.0f, 0.01f, 0.01f}); // day 55000
    table.merge(1, {55000.51f, 15.5f, 0.02f, 0.02f});       // day 55001: new row 1
    table.merge(1, {55001.25f, 15.6f, 0.03f, 0.03f});       // day 55001: overwrites row 1
    table.merge(2, {55001.49f, 15.2f, 0.04f, 0.04f});       // joins row 1, made by slot 2
    table.merge(3, {54999.75f, 14.0f, 0.05f, 0.05f});       // day 55000: row 0
    table.merge(3, {55003.0f, 14.5f, 0.06f, 0.06f});        // new row 2
    ASSERT_EQ(table.rows().size(), 3u);
    const auto& rows = table.rows();
    EXPECT_EQ(rows[1].time, 55000.51f); // the time of the record that opened the row
    EXPECT_EQ(rows[1].bands[1].mag, 15.6f);
    EXPECT_EQ(rows[1].bands[1].error, 0.03f);
    EXPECT_EQ(rows[1].bands[2].mag, 15.2f);
    EXPECT_EQ(rows[1].bands[0].mag, 0.0f);
    EXPECT_EQ(rows[0].bands[3].mag, 14.0f);
    EXPECT_EQ(rows[0].bands[3].calib, 0.05f);
    EXPECT_EQ(rows[2].time, 55003.0f);
    EXPECT_EQ(rows[2].bands[3].mag, 14.5f);
}
