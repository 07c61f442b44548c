#include "decay/decaymodel.h"

#include "decay/fpstatus.h"

#include <array>
#include <cmath>

namespace decay {

namespace {

// 10^0 .. 10^20 are exact in the extended format (up to 10^27 would be), and a
// single division of 1 by an exact power is correctly rounded, so both tables
// hold the extended-format values of the powers. powl() gives no such promise.
constexpr int maxDigits = 20;

struct PowersOfTen final
{
    std::array<long double, maxDigits + 1> up{};
    std::array<long double, maxDigits + 1> down{};
};

constexpr PowersOfTen makePowersOfTen()
{
    PowersOfTen powers;
    long double p = 1.0L;
    for (int i = 0; i <= maxDigits; ++i) {
        powers.up[i] = p;
        powers.down[i] = 1.0L / p;
        p *= 10.0L;
    }
    return powers;
}

constexpr PowersOfTen powersOfTen = makePowersOfTen();

} // namespace

double decayedActivity(double a0, double t, double halfLife, Formula formula)
{
    detail::FpStatusScope scope;
    const volatile long double va0 = a0;
    const volatile long double vt = t;
    const volatile long double vT = halfLife;
    volatile double result = 0.0;

    if (formula == Formula::HalfLife) {
        const volatile long double q = vt / vT;
        const volatile long double p = std::pow(2.0L, static_cast<long double>(q));
        if (std::isinf(p) && std::isfinite(q)) {
            // More than ~16384 half-lives: 2^q leaves the extended range
            // although A itself merely underflows. Taken literally this would
            // report an overflow for a value that is really 0, and the
            // logarithmic formula gives 0 for the same input, so the overflow
            // of the divisor is forgiven: A0 / inf is the signed zero.
            std::feclearexcept(FE_OVERFLOW);
        } else if (p == 0 && std::isfinite(q)) {
            // The mirror case (a large negative t): 2^q underflowed to 0, and
            // A0 / 0 would blame a division by zero that the user never
            // wrote. A is really too large, unless A0 is 0.
            if (va0 == 0)
                return a0;
            throw halvora::Error("Floating point overflow");
        }
        const volatile long double a = va0 / p;
        result = static_cast<double>(a);
    } else {
        const volatile long double x = (-0.693L * vt) / vT;
        const volatile long double e = std::exp(static_cast<long double>(x));
        const volatile long double a = e * va0;
        result = static_cast<double>(a);
    }

    scope.check();
    return result;
}

long double roundToPrecision(long double value, int digits)
{
    if (digits < -maxDigits || digits > maxDigits)
        throw halvora::Error("Invalid argument");

    const bool negative = digits < 0;
    const int d = negative ? -digits : digits;
    const long double scale = negative ? powersOfTen.down[d] : powersOfTen.up[d];
    const long double unscale = negative ? powersOfTen.up[d] : powersOfTen.down[d];

    detail::FpStatusScope scope;
    const volatile long double v = value;
    const volatile long double scaled = v * scale;
    // Round-to-nearest is in force inside the scope, so a tie goes to the
    // even neighbour; nearbyint leaves the inexact flag alone.
    const volatile long double whole = std::nearbyint(static_cast<long double>(scaled));
    const volatile long double result = unscale * whole;
    scope.check();
    return result;
}

std::string normaliseDecimalPoint(std::string_view text, std::string_view decimalSeparator)
{
    if (text.find('.') == std::string_view::npos)
        return std::string(text);

    std::string result;
    result.reserve(text.size() + text.size() / 2);
    for (const char c : text) {
        if (c == '.')
            result += decimalSeparator;
        else
            result += c;
    }
    return result;
}

} // namespace decay
