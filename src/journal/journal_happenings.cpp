#include "journal/journal_keeper.h"

#include "happenings.h"
#include "dates/datetime.h"
#include "dates/zone.h"

#include <cstdio>

namespace orvane {

namespace {

std::string wallText(Instant at, const TimeZone& zone) {
    return formatDate(zone.toWall(at), "yyyy-mm-dd hh:nn:ss");
}

std::string wallTextMs(std::int64_t ms, const TimeZone& zone) {
    return wallText(Instant::fromUnixSeconds(ms >= 0 ? ms / 1000 : (ms - 999) / 1000), zone);
}

const char* kindWord(Happening::Kind kind) {
    switch (kind) {
    case Happening::Kind::Hold: return "hold";
    case Happening::Kind::Resume: return "resume";
    case Happening::Kind::LaunchTimeSet: return "launch-time";
    case Happening::Kind::LaunchWindowSet: return "window-set";
    case Happening::Kind::WindowWarned: return "window-warned";
    case Happening::Kind::WindowExpired: return "window-expired";
    case Happening::Kind::EventDefined: return "event-defined";
    case Happening::Kind::EventRemoved: return "event-removed";
    case Happening::Kind::EventPassed: return "event-passed";
    case Happening::Kind::Liftoff: return "liftoff";
    case Happening::Kind::SimTimeSet: return "sim-time";
    case Happening::Kind::SimTimeRestored: return "sim-restored";
    case Happening::Kind::FileRead: return "file-read";
    case Happening::Kind::FileSaved: return "file-saved";
    case Happening::Kind::ProgramStart: return "start";
    case Happening::Kind::ProgramExit: return "exit";
    case Happening::Kind::BuiltInHold: return "built-in-hold";
    case Happening::Kind::BuiltInHoldEnd: return "built-in-hold-end";
    case Happening::Kind::RemoteCommand: return "remote-command";
    case Happening::Kind::DevicePaired: return "device-paired";
    case Happening::Kind::PairingRefused: return "pairing-refused";
    case Happening::Kind::DeviceForgotten: return "device-forgotten";
    }
    return "unknown";
}

std::string hms(std::int64_t s) {
    char text[64];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(s / 3600),
                  static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
    return text;
}

} // namespace

JournalRecord journalRecordOf(const Happening& h, const TimeZone& zone) {
    JournalRecord r;
    r.kind = kindWord(h.kind);
    r.trueMs = h.at.trueMs;
    r.programMs = h.at.programMs;
    r.count = h.shown.text();
    r.countSeconds = h.shown.secondsToLaunch();
    auto add = [&r](const char* name, std::string value) { r.details.emplace_back(name, std::move(value)); };
    auto launches = [&] {
        if (h.oldLaunch)
            add("old-launch", wallText(*h.oldLaunch, zone));
        if (h.newLaunch)
            add("launch", wallText(*h.newLaunch, zone));
    };
    switch (h.kind) {
    case Happening::Kind::Resume:
        add("held", std::to_string(h.heldSeconds.value_or(0)));
        launches();
        break;
    case Happening::Kind::LaunchTimeSet:
    case Happening::Kind::Liftoff:
        launches();
        break;
    case Happening::Kind::LaunchWindowSet:
        add("window", h.windowText);
        add("active", h.windowActive ? "1" : "0");
        if (h.windowLeftSeconds)
            add("window-s", std::to_string(*h.windowLeftSeconds));
        break;
    case Happening::Kind::WindowWarned:
    case Happening::Kind::WindowExpired:
        add("window", h.windowText);
        if (h.windowLeftSeconds)
            add("window-s", std::to_string(*h.windowLeftSeconds));
        break;
    case Happening::Kind::EventDefined:
    case Happening::Kind::EventRemoved:
    case Happening::Kind::EventPassed:
        if (h.event) {
            add("number", std::to_string(h.event->number));
            add("name", h.event->name);
            add("offset", std::to_string(h.event->signedOffset));
        }
        break;
    case Happening::Kind::SimTimeSet:
    case Happening::Kind::SimTimeRestored:
        if (h.oldClockMs)
            add("old-clock", wallTextMs(*h.oldClockMs, zone));
        if (h.newClockMs)
            add("clock", wallTextMs(*h.newClockMs, zone));
        break;
    case Happening::Kind::FileRead:
    case Happening::Kind::FileSaved:
        add("path", h.path);
        launches();
        break;
    case Happening::Kind::BuiltInHold:
    case Happening::Kind::BuiltInHoldEnd:
        add("label", h.holdLabel);
        add("planned", hms(h.plannedSeconds.value_or(0)));
        if (h.kind == Happening::Kind::BuiltInHoldEnd)
            add("actual", hms(h.heldSeconds.value_or(0)));
        break;
    case Happening::Kind::RemoteCommand:
        add("command", h.command);
        break;
    case Happening::Kind::DevicePaired:
    case Happening::Kind::DeviceForgotten:
        add("device", h.by);
        return r;
    case Happening::Kind::PairingRefused:
        add("reason", h.command);
        return r;
    case Happening::Kind::Hold:
    case Happening::Kind::ProgramStart:
    case Happening::Kind::ProgramExit:
        break;
    }
    // A command a paired device gave names the device.
    if (!h.by.empty())
        add("by", h.by);
    return r;
}

} // namespace orvane
