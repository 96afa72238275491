#include "data/CTimeData.h"
#include "events/frmEventTimers.h"
#include "support/app_fixture.h"

#include <gtest/gtest.h>

namespace orvane::test {
namespace {

// Guards a property name wired to another event's value: each one written by name must land
// on its own event and on no other.
TEST_F(AppTest, EachNamedPropertyHoldsItsOwnEventsValue) {
    for (int n = 0; n < 10; ++n) {
        frmEventTimers& board = app.frmEventTimers();
        const std::string digit = std::to_string(n);
        ASSERT_TRUE(board.setRecordProperty("EventData", "Secs" + digit, "3600").ok);
        ASSERT_TRUE(board.setRecordProperty("EventData", "Plus" + digit, "+").ok);
        ASSERT_TRUE(board.setRecordProperty("EventData", "Tag" + digit, "t").ok);
        ASSERT_TRUE(board.setRecordProperty("EventData", "Hold" + digit, "h").ok);
        const CTimeData& data = board.EventData();
        for (int other = 0; other < 10; ++other) {
            const bool mine = other <= n;
            EXPECT_EQ(data.Secs(other), mine ? 3600 : 0) << n << " " << other;
            EXPECT_EQ(data.Plus(other), mine ? Variant("+") : Variant()) << n << " " << other;
            EXPECT_EQ(data.Tag(other), mine ? Variant("t") : Variant()) << n << " " << other;
            EXPECT_EQ(data.Hold(other), mine ? Variant("h") : Variant()) << n << " " << other;
        }
        EXPECT_EQ(board.recordProperty("EventData", "Plus" + digit), Variant("+"));
    }
}

// Scripts write the record by name; a value the record cannot hold is refused, not wrapped.
TEST_F(AppTest, TheEventRecordByNameRefusesWhatItCannotHold) {
    frmEventTimers& board = app.frmEventTimers();
    board.EventData().setSecs(3, 60);
    for (const char* bad : {"", "abc", "1.5", "2147483648", "-2147483649"}) {
        SetResult r = board.setRecordProperty("EventData", "Secs3", bad);
        EXPECT_FALSE(r.ok) << bad;
        EXPECT_FALSE(r.error.empty()) << bad;
    }
    EXPECT_EQ(board.EventData().Secs(3), 60);
    EXPECT_TRUE(board.setRecordProperty("EventData", "Secs3", "-2147483648").ok);
    EXPECT_FALSE(board.setRecordProperty("EventData", "Secs10", "1").ok);
    // Only a digit names an event: characters on either side of the digits do not.
    for (const char* name : {"SecsX", "Secs/", "Secs:", "Plus ", "TagA", "Hold~"}) {
        EXPECT_FALSE(board.setRecordProperty("EventData", name, "1").ok) << name;
        EXPECT_FALSE(board.recordProperty("EventData", name)) << name;
    }
    EXPECT_FALSE(board.setRecordProperty("Other", "Secs3", "1").ok);
    EXPECT_FALSE(board.recordProperty("EventData", "Sec3"));
}

} // namespace
} // namespace orvane::test
