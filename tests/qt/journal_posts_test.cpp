// The journal in the program: what its writer thread tells comes back to the user-interface
// thread as posted tasks, which must do nothing once the journal is gone.

#include "qt/qt_journal.h"
#include "qt/qt_view.h"
#include "support/app_fixture.h"

#include <QCoreApplication>

#include <memory>

namespace orvane::test {
namespace {

class QtJournalTest : public AppTest {
  protected:
    QtJournalTest() : view(app) {
        counted = app.happenings().subscribeRounds([this] { ++rounds; });
    }

    QtView view;
    int rounds = 0;
    Subscription counted;
};

// Guards against a commit posted by the writer just before the journal went being run on the
// destroyed journal keeper when the event loop next turned.
TEST_F(QtJournalTest, ACommitToldAfterTheJournalIsGoneDoesNothing) {
    clockAt("2001-05-03 10:20:00");
    auto journal = std::make_unique<QtJournal>(app, view);
    start();
    journal->keeper().store().flush();
    int before = rounds;
    QCoreApplication::processEvents();
    EXPECT_GT(rounds, before) << "a commit is told while the journal lives";

    app.raise(app.happening(Happening::Kind::Hold));
    // Going, the journal writes the hold, and its writer posts the commit before it stops.
    journal.reset();
    before = rounds;
    QCoreApplication::processEvents();
    EXPECT_EQ(rounds, before);
}

} // namespace
} // namespace orvane::test
