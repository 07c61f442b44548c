#include "decay/units.h"

#include "decay/fpstatus.h"

#include <array>
#include <utility>

namespace decay {

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 4> cycle{{
    {"MBq", "GBq"},
    {"GBq", "Bq"},
    {"Bq", "KBq"},
    {"KBq", "MBq"},
}};

} // namespace

std::string_view nextUnit(std::string_view unit)
{
    for (const auto &[current, next] : cycle) {
        if (unit == current)
            return next;
    }
    return "MBq";
}

double convertToUnit(double value, std::string_view to)
{
    detail::FpStatusScope scope;
    volatile double v = value;
    if (to == "GBq" || to == "KBq" || to == "MBq") {
        v = v / 1000.0;
    } else if (to == "Bq") {
        // Three separate steps, each rounded to double, not one factor of 1e9:
        // the last bit of the result depends on it.
        v = v * 1000.0;
        v = v * 1000.0;
        v = v * 1000.0;
    }
    scope.check();
    return v;
}

} // namespace decay
