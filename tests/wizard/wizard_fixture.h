#pragma once

// The event wizard's stories: the whole program on the fakes, with helpers that walk the
// wizard's pages the way a user does.

#include "events/frmEventTimers.h"
#include "support/app_fixture.h"
#include "wizard/frmETWIZChoice.h"
#include "wizard/frmETWIZDate.h"
#include "wizard/frmETWIZLabel.h"
#include "wizard/frmETWIZMET.h"
#include "wizard/frmETWIZNumber.h"
#include "wizard/frmETWIZPlus.h"
#include "wizard/frmRemoveEvent.h"

#include <string>

namespace orvane::test {

class WizardTest : public AppTest {
  protected:
    WizardTest() {
        clockAt("2001-05-03 10:15:00");
        startAndSettle();
    }

    frmEventTimers& board() { return app.frmEventTimers(); }
    CTimeData& record() { return board().EventData(); }
    template <class T> T& page(const char* name) { return static_cast<T&>(*app.form(name)); }
    frmETWIZNumber& number() { return page<frmETWIZNumber>("frmETWIZNumber"); }
    frmETWIZLabel& label() { return page<frmETWIZLabel>("frmETWIZLabel"); }
    frmETWIZChoice& choice() { return page<frmETWIZChoice>("frmETWIZChoice"); }
    frmETWIZPlus& plus() { return page<frmETWIZPlus>("frmETWIZPlus"); }
    frmETWIZMET& met() { return page<frmETWIZMET>("frmETWIZMET"); }
    frmETWIZDate& date() { return page<frmETWIZDate>("frmETWIZDate"); }
    frmRemoveEvent& removeDialog() { return page<frmRemoveEvent>("frmRemoveEvent"); }

    // An event as a launch data file leaves it: in the record and on its row.
    void assign(int n, const std::string& mark, int secs, const std::string& name) {
        record().setPlus(n, mark);
        record().setSecs(n, secs);
        board().control<Label>("lblName", n).setCaption(name);
        board().control<PictureBox>("pctEvent", n).setTag(mark);
    }

    // The board's Add Event button, which also disables the board while the wizard runs.
    void openWizard() { EXPECT_TRUE(click(board().control<CommandButton>("cmdAdd"))); }
    void openRemoveDialog() { EXPECT_TRUE(click(board().control<CommandButton>("cmdRemove"))); }

    // Number and name pages: picks event N, agrees to overwrite it and names it.
    void pickAndName(int n, const std::string& name) {
        openWizard();
        click(number().optNumber[n]);
        answer(Answer::OK);
        click(number().cmdNext);
        type(label().txtName, name);
        click(label().cmdNext);
    }
    // The rest of the way by mission elapsed time, up to the Enter.
    void missionTime(bool minus, int days, int hours, int minutes, int seconds) {
        click(choice().optMET);
        click(choice().cmdNext);
        click(minus ? plus().optTMinus : plus().optTPlus);
        click(plus().cmdNext);
        type(met().mission.vsbDaysSim, std::to_string(days));
        type(met().mission.vsbHoursSim, std::to_string(hours));
        type(met().mission.vsbMinutesSim, std::to_string(minutes));
        type(met().mission.vsbSecondsSim, std::to_string(seconds));
    }
    // The rest of the way by date and time ("May 3, 2001", 10, 31, 30), up to the Enter.
    void dateAndTime(const std::string& day, int hours, int minutes, int seconds) {
        click(choice().optClock);
        click(choice().cmdNext);
        type(date().Calendar, day);
        type(date().time.vsbHoursW, std::to_string(hours));
        type(date().time.vsbMinutesW, std::to_string(minutes));
        type(date().time.vsbSecondsW, std::to_string(seconds));
    }

    // The event chosen on the number page, or -1.
    int selectedNumber() {
        for (int n = 0; n < 10; ++n)
            if (number().optNumber[n].value())
                return n;
        return -1;
    }

    bool wizardOpen() const {
        for (const char* name : {"frmETWIZNumber", "frmETWIZLabel", "frmETWIZChoice",
                                 "frmETWIZPlus", "frmETWIZMET", "frmETWIZDate"})
            if (app.isLoaded(name))
                return true;
        return false;
    }
};

} // namespace orvane::test
