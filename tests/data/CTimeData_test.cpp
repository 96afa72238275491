#include "data/CTimeData.h"
#include "events/frmEventTimers.h"
#include "support/app_fixture.h"

#include <gtest/gtest.h>

#include <functional>

namespace orvane::test {
namespace {

TEST(CTimeData, AFreshRecordHasNoOffsetsAndEmptyVariants) {
    const CTimeData data;
    for (int n = 0; n < 10; ++n) {
        EXPECT_EQ(data.Secs(n), 0) << n;
        EXPECT_TRUE(data.Plus(n).isEmpty()) << n;
        EXPECT_TRUE(data.Tag(n).isEmpty()) << n;
        EXPECT_TRUE(data.Hold(n).isEmpty()) << n;
        EXPECT_EQ(data.signedOffset(n), 0) << n;
    }
}

// Guards a named property wired to another event's value: each of the forty is written by
// name and must land on its own event, and on no other.
TEST(CTimeData, EachNamedPropertyHoldsItsOwnEventsValue) {
    using SetSecs = void (CTimeData::*)(std::int32_t);
    using SetVariant = void (CTimeData::*)(Variant);
    const SetSecs secs[] = {&CTimeData::setSecs0, &CTimeData::setSecs1, &CTimeData::setSecs2,
                            &CTimeData::setSecs3, &CTimeData::setSecs4, &CTimeData::setSecs5,
                            &CTimeData::setSecs6, &CTimeData::setSecs7, &CTimeData::setSecs8,
                            &CTimeData::setSecs9};
    const SetVariant plus[] = {&CTimeData::setPlus0, &CTimeData::setPlus1, &CTimeData::setPlus2,
                               &CTimeData::setPlus3, &CTimeData::setPlus4, &CTimeData::setPlus5,
                               &CTimeData::setPlus6, &CTimeData::setPlus7, &CTimeData::setPlus8,
                               &CTimeData::setPlus9};
    const SetVariant tag[] = {&CTimeData::setTag0, &CTimeData::setTag1, &CTimeData::setTag2,
                              &CTimeData::setTag3, &CTimeData::setTag4, &CTimeData::setTag5,
                              &CTimeData::setTag6, &CTimeData::setTag7, &CTimeData::setTag8,
                              &CTimeData::setTag9};
    const SetVariant hold[] = {&CTimeData::setHold0, &CTimeData::setHold1, &CTimeData::setHold2,
                               &CTimeData::setHold3, &CTimeData::setHold4, &CTimeData::setHold5,
                               &CTimeData::setHold6, &CTimeData::setHold7, &CTimeData::setHold8,
                               &CTimeData::setHold9};
    for (int n = 0; n < 10; ++n) {
        CTimeData data;
        (data.*secs[n])(3600);
        (data.*plus[n])(Variant("+"));
        (data.*tag[n])(Variant("t"));
        (data.*hold[n])(Variant(7));
        for (int other = 0; other < 10; ++other) {
            const bool mine = other == n;
            EXPECT_EQ(data.Secs(other), mine ? 3600 : 0) << n << " " << other;
            EXPECT_EQ(data.Plus(other), mine ? Variant("+") : Variant()) << n << " " << other;
            EXPECT_EQ(data.Tag(other), mine ? Variant("t") : Variant()) << n << " " << other;
            EXPECT_EQ(data.Hold(other), mine ? Variant(7) : Variant()) << n << " " << other;
        }
    }
    CTimeData data;
    data.setPlus4("+");
    data.setSecs4(3600);
    EXPECT_EQ(data.Plus4(), Variant("+"));
    EXPECT_EQ(data.Secs4(), 3600);
}

TEST(CTimeData, TheSignedOffsetReadsTheMarkBeforeTheDigits) {
    CTimeData data;
    data.setPlus(0, "-");
    data.setSecs(0, 600);
    data.setPlus(1, "+");
    data.setSecs(1, 600);
    data.setSecs(2, 600);
    data.setPlus(3, "-");
    data.setSecs(3, 2147483647);
    EXPECT_EQ(data.signedOffset(0), -600);
    EXPECT_EQ(data.signedOffset(1), 600);
    EXPECT_EQ(data.signedOffset(2), 600) << "no mark reads as after launch";
    EXPECT_EQ(data.signedOffset(3), -2147483647);
}

TEST(CSimTime, PartsBeforeLaunchStayNegative) {
    CSimTime t;
    t.setDays(-3);
    t.setSeconds(-59);
    EXPECT_EQ(t.Days(), -3);
    EXPECT_EQ(t.Seconds(), -59);
    EXPECT_EQ(t.PrePost(), "");
}

// The scenario runner reads and writes the record by name through the event timers window.
class EventRecordByName : public AppTest {};

TEST_F(EventRecordByName, NumbersAndTextsGoInAndComeBackOut) {
    frmEventTimers& board = app.frmEventTimers();
    EXPECT_EQ(board.recordProperty("EventData", "Plus3")->print(), "Empty");
    EXPECT_EQ(board.recordProperty("EventData", "Secs3")->print(), "0");

    EXPECT_TRUE(board.setRecordProperty("EventData", "Secs3", "600").ok);
    EXPECT_TRUE(board.setRecordProperty("EventData", "Plus3", "-").ok);
    EXPECT_TRUE(board.setRecordProperty("EventData", "Tag9", "x").ok);
    EXPECT_TRUE(board.setRecordProperty("EventData", "Hold0", "12").ok);
    EXPECT_EQ(board.EventData().Secs3(), 600);
    EXPECT_EQ(board.EventData().signedOffset(3), -600);
    EXPECT_EQ(board.recordProperty("EventData", "Plus3")->print(), "\"-\"");
    EXPECT_EQ(board.recordProperty("EventData", "Tag9")->print(), "\"x\"");
    EXPECT_EQ(board.recordProperty("EventData", "Hold0")->print(), "\"12\"") << "stored as text";
}

TEST_F(EventRecordByName, BadNamesAndValuesAreRefusedAndChangeNothing) {
    frmEventTimers& board = app.frmEventTimers();
    board.EventData().setSecs(3, 60);
    for (const char* bad : {"", "abc", "1.5", "2147483648", "-2147483649"}) {
        SetResult r = board.setRecordProperty("EventData", "Secs3", bad);
        EXPECT_FALSE(r.ok) << bad;
        EXPECT_FALSE(r.error.empty()) << bad;
    }
    EXPECT_EQ(board.EventData().Secs3(), 60);
    EXPECT_FALSE(board.setRecordProperty("EventData", "Secs10", "1").ok);
    EXPECT_FALSE(board.setRecordProperty("EventData", "Plus", "-").ok);
    EXPECT_FALSE(board.setRecordProperty("Other", "Secs3", "1").ok);
    EXPECT_FALSE(board.recordProperty("EventData", "Sec3"));
    EXPECT_FALSE(board.recordProperty("Other", "Secs3"));
}

} // namespace
} // namespace orvane::test
