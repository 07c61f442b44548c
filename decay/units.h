#pragma once

#include <string_view>

namespace decay {

// The activity unit cycle: "MBq" -> "GBq" -> "Bq" -> "KBq" -> "MBq".
// Any text outside the cycle is followed by "MBq".
std::string_view nextUnit(std::string_view unit);

// Converts a value given in the unit that precedes `to` in the cycle into
// `to`: to "GBq" v/1000; to "Bq" ((v*1000)*1000)*1000; to "KBq" v/1000; to
// "MBq" v/1000, each step stored as a double, so the results match the
// program's own step-by-step arithmetic to the last bit. An overflow throws
// halvora::Error("Floating point overflow"). A `to` outside the cycle leaves
// the value unchanged.
double convertToUnit(double value, std::string_view to);

} // namespace decay
