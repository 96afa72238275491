#pragma once

// The program started on the fake world, with what its callouts said and kept at hand.

#include "callouts/frmCallouts.h"
#include "support/app_fixture.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

namespace orvane::test {

class CalloutsFixture : public AppTest {
  protected:
    frmCallouts& openDialog() {
        EXPECT_TRUE(click(main().control<MenuItem>("mnuCallouts")));
        return *app.loaded<frmCallouts>();
    }
    // The callouts said, in order, as the transcript has them.
    std::vector<std::string> callouts() const {
        std::vector<std::string> said;
        std::copy_if(world.transcript.begin(), world.transcript.end(), std::back_inserter(said),
                     [](const std::string& line) { return line.starts_with("callout "); });
        return said;
    }
    std::string setting(const std::string& key) {
        return world.settings.stored("Callouts", key).value_or("<absent>");
    }
};

} // namespace orvane::test
