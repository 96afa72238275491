// The turn of a second: the windows that show the count are painted before the others take
// what changed in the round. The board's rows are set before the main count in a round, and a
// row's new text costs its label about as much as drawing it; held back, the rows take theirs
// once the count has been painted, in the same wake-up.

#include "qt/qt_view.h"
#include "qt/qt_widgets.h"

#include <QAbstractEventDispatcher>

#include <algorithm>
#include <cstddef>
#include <utility>

namespace orvane {

void QtView::showFirst(std::vector<const Form*> first) {
    m_first = std::move(first);
    m_holding = true;
}

void QtView::showOthers() {
    m_holding = false;
    // Nothing is held now, so the list stays as it is while it is gone through, and keeps its
    // room for the next second.
    for (std::size_t n = 0; n < m_held.size(); ++n)
        sync(*const_cast<Control*>(m_held[n].first), m_held[n].second);
    m_held.clear();
}

// Only texts wait, and only on windows already on the screen: a window that opens in the round
// is laid out with everything it shows.
bool QtView::heldBack(const Window& w, Prop what) const {
    return what == Prop::Caption && w.top && w.top->isVisible() &&
           std::find(m_first.begin(), m_first.end(), w.form) == m_first.end();
}

// Nothing waits behind the round for long: should the round open a message box, the loop
// that runs it lets the other windows show their changes before it waits for the user.
void QtView::holdUntilTheLoopWaits() {
    if (auto* loop = QAbstractEventDispatcher::instance())
        connect(loop, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
            if (m_holding)
                showOthers();
        });
}

} // namespace orvane
