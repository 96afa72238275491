#include "happenings.h"

#include "dates/datetime.h"

#include <cstdlib>
#include <deque>

namespace orvane {

std::int64_t ShownCount::secondsToLaunch() const {
    const std::int64_t s = ((days * 24 + hours) * 60 + minutes) * 60 + seconds;
    return sign == Sign::Minus ? s : -s;
}

std::string ShownCount::text() const {
    return std::string(sign == Sign::Minus ? "T - " : "T + ") + formatNumber(days, "000") + " " +
           formatNumber(hours, "00") + ":" + formatNumber(minutes, "00") + ":" +
           formatNumber(seconds, "00");
}

ShownCount ShownCount::fromSecondsToLaunch(std::int64_t seconds) {
    ShownCount c;
    c.sign = seconds > 0 ? Sign::Minus : Sign::Plus;
    std::int64_t s = seconds > 0 ? seconds : -seconds;
    c.days = s / 86400;
    s %= 86400;
    c.hours = s / 3600;
    s %= 3600;
    c.minutes = s / 60;
    c.seconds = s % 60;
    return c;
}

std::string_view kindName(Happening::Kind kind) {
    using K = Happening::Kind;
    switch (kind) {
    case K::Hold:
        return "hold";
    case K::Resume:
        return "resume";
    case K::LaunchTimeSet:
        return "launch time set";
    case K::LaunchWindowSet:
        return "launch window set";
    case K::WindowWarned:
        return "window warned";
    case K::WindowExpired:
        return "window expired";
    case K::EventDefined:
        return "event defined";
    case K::EventRemoved:
        return "event removed";
    case K::EventPassed:
        return "event passed";
    case K::Liftoff:
        return "liftoff";
    case K::SimTimeSet:
        return "sim time set";
    case K::SimTimeRestored:
        return "sim time restored";
    case K::FileRead:
        return "file read";
    case K::FileSaved:
        return "file saved";
    case K::ProgramStart:
        return "program start";
    case K::ProgramExit:
        return "program exit";
    case K::BuiltInHold:
        return "built-in hold";
    case K::BuiltInHoldEnd:
        return "built-in hold end";
    case K::RemoteCommand:
        return "remote command";
    case K::DevicePaired:
        return "device paired";
    case K::PairingRefused:
        return "pairing refused";
    case K::DeviceForgotten:
        return "device forgotten";
    }
    return "?";
}

std::string commandNote(const Happening& h) {
    using K = Happening::Kind;
    if (h.by.empty())
        return {};
    std::string what;
    if (h.kind == K::Hold)
        what = "Hold";
    else if (h.kind == K::Resume)
        what = "Resume";
    else if (h.kind == K::BuiltInHoldEnd)
        what = "End of " + h.holdLabel;
    else if (h.kind == K::RemoteCommand && h.command == "hold-enable")
        what = "Hold Enable";
    else if (h.kind == K::RemoteCommand && h.command == "hold-disable")
        what = "Hold Disable";
    else if (h.kind == K::RemoteCommand && h.command == "mute")
        what = "Mute";
    else if (h.kind == K::RemoteCommand && h.command == "unmute")
        what = "Unmute";
    else
        return {};
    return what + " from " + h.by;
}

struct Happenings::Lists {
    std::vector<std::pair<std::size_t, Listener>> happenings;
    std::vector<std::pair<std::size_t, std::function<void()>>> rounds;
    std::size_t next = 0;
    // Happenings raised while another is being told, waiting for their turn.
    std::deque<Happening> waiting;
    bool telling = false;
};

Happenings::Happenings() : m_lists(std::make_shared<Lists>()) {}
Happenings::~Happenings() = default;

namespace {

// Calls each listener subscribed when the call began and still subscribed when its turn
// comes, so a listener may unsubscribe itself or another while being told.
template <class List, class Call> void tellEach(const List& list, Call&& call) {
    std::vector<std::size_t> ids;
    ids.reserve(list.size());
    for (const auto& [id, f] : list)
        ids.push_back(id);
    for (std::size_t id : ids)
        for (const auto& [other, f] : list)
            if (other == id) {
                auto copy = f;
                call(copy);
                break;
            }
}

template <class List> Subscription add(const std::shared_ptr<Happenings::Lists>& lists,
                                       List Happenings::Lists::*member,
                                       typename List::value_type::second_type f) {
    const std::size_t id = lists->next++;
    ((*lists).*member).emplace_back(id, std::move(f));
    std::weak_ptr<Happenings::Lists> weak = lists;
    return Subscription([weak, member, id] {
        if (auto l = weak.lock())
            std::erase_if((*l).*member, [id](const auto& item) { return item.first == id; });
    });
}

} // namespace

Subscription Happenings::subscribe(Listener listener) {
    return add(m_lists, &Lists::happenings, std::move(listener));
}

Subscription Happenings::subscribeRounds(std::function<void()> listener) {
    return add(m_lists, &Lists::rounds, std::move(listener));
}

// A happening raised by a listener waits until every listener has been told the one before
// it, so that all of them hear the happenings in one order, the order they were raised.
void Happenings::raise(const Happening& h) {
    const auto keep = m_lists;
    keep->waiting.push_back(h);
    if (keep->telling)
        return;
    keep->telling = true;
    struct Done {
        Lists& lists;
        // A listener that throws leaves nothing waiting for the next raise to tell late.
        ~Done() {
            lists.telling = false;
            lists.waiting.clear();
        }
    } done{*keep};
    while (!keep->waiting.empty()) {
        const Happening next = std::move(keep->waiting.front());
        keep->waiting.pop_front();
        tellEach(keep->happenings, [&next](const Listener& f) { f(next); });
    }
}

void Happenings::roundDone() {
    const auto keep = m_lists;
    tellEach(keep->rounds, [](const std::function<void()>& f) { f(); });
}

} // namespace orvane
