#include "data/CTimeData.h"
#include "events/frmEventTimers.h"
#include "support/app_fixture.h"

#include <gtest/gtest.h>

namespace orvane::test {
namespace {

// Guards a named property wired to another event's value: each one written by name must land
// on its own event and on no other.
TEST(CTimeData, EachNamedPropertyHoldsItsOwnEventsValue) {
    using SetSecs = void (CTimeData::*)(std::int32_t);
    using SetVariant = void (CTimeData::*)(Variant);
#define ORVANE_TEN(F)                                                                              \
    &CTimeData::F##0, &CTimeData::F##1, &CTimeData::F##2, &CTimeData::F##3, &CTimeData::F##4,      \
        &CTimeData::F##5, &CTimeData::F##6, &CTimeData::F##7, &CTimeData::F##8, &CTimeData::F##9
    const SetSecs secs[] = {ORVANE_TEN(setSecs)};
    const SetVariant plus[] = {ORVANE_TEN(setPlus)};
    const SetVariant tag[] = {ORVANE_TEN(setTag)};
    const SetVariant hold[] = {ORVANE_TEN(setHold)};
#undef ORVANE_TEN
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
    EXPECT_EQ(board.EventData().Secs3(), 60);
    EXPECT_TRUE(board.setRecordProperty("EventData", "Secs3", "-2147483648").ok);
    EXPECT_FALSE(board.setRecordProperty("EventData", "Secs10", "1").ok);
    EXPECT_FALSE(board.setRecordProperty("Other", "Secs3", "1").ok);
    EXPECT_FALSE(board.recordProperty("EventData", "Sec3"));
}

} // namespace
} // namespace orvane::test
