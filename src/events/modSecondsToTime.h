#pragma once

// The day and time texts of the event timer rows.

#include <cstdint>
#include <string>

namespace orvane {

// Seconds as "+ d/   hh:mm:ss" or "- d/   hh:mm:ss": the sign comes from plus alone, never
// from the sign of secs, and the days have no leading zeros ("+ 1/   02:03:04" for 93784).
// The seconds are 64-bit so that a launch more than 68 years away still counts in full.
std::string SecondsToTime(std::int64_t secs, bool plus);

// An event's definition as its tooltip shows it: the direction mark, the days and the time
// of the offset ("- 0 /  01:30:00" for "-" and 5400; " 0 /  00:00:00" for an event never
// set). The parts are taken towards zero, so a negative offset shows negative parts.
std::string EventDefinitionText(std::int32_t secs, const std::string& sign);

} // namespace orvane
