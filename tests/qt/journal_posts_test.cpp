// The journal in the program: what its writer thread tells comes back to the user-interface
// thread as posted tasks, which must do nothing once the journal is gone.

#include "qt/qt_journal.h"
#include "qt/qt_view.h"
#include "support/app_fixture.h"

#include <QCoreApplication>

#include <chrono>
#include <memory>

namespace orvane::test {
namespace {

using namespace std::chrono_literals;

class QtJournalTest : public AppTest {
  protected:
    QtJournalTest() : view(app) {
        counted = app.happenings().subscribeRounds([this] { ++rounds; });
    }

    QtView view;
    int rounds = 0;
    Subscription counted;
};

// While the rounds run, a record committed wakes no one: the keeper is told in the next round.
// Once the journal is gone, what its writer committed as it went is told to no one, and
// nothing runs for it on the destroyed keeper.
TEST_F(QtJournalTest, ACommitIsToldInTheNextRoundAndToNoOneOnceTheJournalIsGone) {
    clockAt("2001-05-03 10:20:00");
    auto journal = std::make_unique<QtJournal>(app, view);
    start();
    journal->keeper().store().flush();
    advance(1s);
    EXPECT_FALSE(journal->commitWaiting()) << "the start's records are told";

    app.raise(app.happening(Happening::Kind::Hold));
    journal->keeper().store().flush();
    int before = rounds;
    QCoreApplication::processEvents();
    EXPECT_EQ(rounds, before) << "a commit made no round of its own";
    EXPECT_TRUE(journal->commitWaiting());
    advance(1s);
    EXPECT_FALSE(journal->commitWaiting()) << "told in the next round";

    app.raise(app.happening(Happening::Kind::Resume));
    // Going, the journal writes the resume before its writer stops.
    journal.reset();
    before = rounds;
    QCoreApplication::processEvents();
    EXPECT_EQ(rounds, before);
    // The rounds go on without the journal's keeper.
    advance(1s);
    EXPECT_GT(rounds, before);
}

} // namespace
} // namespace orvane::test
