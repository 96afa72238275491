#pragma once

// What the callouts say as a built-in hold begins and ends: "T minus twenty minutes and
// holding", "T minus three hours and counting", "T minus one hour thirty minutes and
// holding", the T-time in words as the count reads it.

#include <cstdint>
#include <string>

namespace orvane {

// SECONDS as words: "ninety-nine", up to 99 (beyond, in figures).
std::string numberInWords(std::int64_t n);
// The phrase for a built-in hold at T-TSECONDS: HOLDING as it begins, else as the count goes on.
std::string builtInHoldPhrase(std::int64_t tSeconds, bool holding);

} // namespace orvane
