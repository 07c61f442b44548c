// Decay formula and rounding for any finite A0, t and T, either formula and
// any precision from -25 to 25: each step either returns a finite value or
// throws one of the four arithmetic messages, precisions outside -20..20
// always throw "Invalid argument", and what comes out prints as a text that
// reads back (unless its 15-digit rounding lies beyond the double range, as
// for A0 = DBL_MAX, where the refusal is the usual conversion error).
//
// On top of that, properties of the formulas themselves:
// - a result has the sign of A0 (both factors 2^(t/T) and e^x are positive);
// - t = 0 gives A0 itself, with either formula;
// - when t / T >= 0 the activity never grows: |A| <= |A0|;
// - a finite double with a precision in -20..20 always rounds without error
//   (the scaled value stays far inside the extended range), and lands within
//   half a unit of the last place kept, allowing for the extended rounding.
//
// Input: A0, t and T as 8-byte bit patterns, then a byte for the formula and
// one for the precision. Non-finite inputs are skipped: every input reaches
// the formulas through textToNumber(), which yields only finite values.

#include "decay/decaymodel.h"
#include "fuzzsupport.h"

#include <array>
#include <cfloat>
#include <cmath>

using namespace fuzzsupport;

namespace {

constexpr std::array<std::string_view, 4> arithmeticErrors{
    "Invalid floating point operation", "Floating point division by zero",
    "Floating point overflow", "Invalid argument"};

bool isArithmeticError(std::string_view message)
{
    for (const std::string_view known : arithmeticErrors) {
        if (message == known)
            return true;
    }
    return false;
}

void checkPrintsAndReadsBack(long double value, const std::string &shown)
{
    const std::string text = decay::numberToText(value, ",");
    const Reference ref = referenceRead(value == 0 ? "0" : referenceFifteenDigits(value));
    try {
        const double back = decay::textToNumber(text, ",");
        require(!ref.outOfRange, shown + ": '" + text + "' read back beyond the double range");
        require(sameDouble(back, ref.value), shown + ": '" + text + "' reads back as " + show(back));
    } catch (const halvora::Error &error) {
        require(ref.outOfRange, shown + ": '" + text + "' refused: " + error.what());
        require(error.what() == notANumberMessage(text), shown + ": wrong message");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Bytes bytes(data, size);
    const double a0 = bytes.real();
    const double t = bytes.real();
    const double halfLife = bytes.real();
    const auto formula = (bytes.byte() & 1) ? decay::Formula::Logarithmic : decay::Formula::HalfLife;
    const int digits = static_cast<int>(bytes.byte() % 51) - 25;
    if (!std::isfinite(a0) || !std::isfinite(t) || !std::isfinite(halfLife))
        return 0;

    const std::string shown = "A0 " + show(a0) + ", t " + show(t) + ", T " + show(halfLife)
                              + (formula == decay::Formula::Logarithmic ? ", logarithmic" : ", half-life")
                              + ", precision " + std::to_string(digits);

    double activity = 0.0;
    try {
        activity = decay::decayedActivity(a0, t, halfLife, formula);
    } catch (const halvora::Error &error) {
        require(isArithmeticError(error.what()) && std::string_view(error.what()) != "Invalid argument",
                shown + ": decayedActivity threw '" + error.what() + "'");
        return 0;
    } catch (...) {
        fail(shown + ": decayedActivity threw something other than halvora::Error");
    }

    require(std::isfinite(activity), shown + ": decayedActivity returned " + show(activity));
    require(std::signbit(activity) == std::signbit(a0),
            shown + ": A " + show(activity) + " has not the sign of A0");
    if (t == 0 && halfLife != 0)
        require(sameDouble(activity, a0), shown + ": t = 0 gives " + show(activity));
    if ((t >= 0) == (halfLife > 0) || t == 0)
        require(std::fabs(activity) <= std::fabs(a0), shown + ": activity grew to " + show(activity));
    checkPrintsAndReadsBack(activity, shown);

    long double rounded = 0.0L;
    try {
        rounded = decay::roundToPrecision(activity, digits);
    } catch (const halvora::Error &error) {
        if (digits < -20 || digits > 20) {
            require(std::string_view(error.what()) == "Invalid argument",
                    shown + ": bad precision threw '" + error.what() + "'");
            return 0;
        }
        fail(shown + ": rounding " + show(activity) + " threw '" + error.what() + "'");
    } catch (...) {
        fail(shown + ": roundToPrecision threw something other than halvora::Error");
    }
    require(digits >= -20 && digits <= 20, shown + ": precision out of range accepted");
    require(std::isfinite(rounded), shown + ": roundToPrecision returned " + show(rounded));

    // |rounded - A| <= 0.5 * 10^-d, widened by the two extended roundings
    // (of A * 10^d and of 10^-d * N) and the inexact 10^-d itself.
    const long double unit = std::pow(10.0L, static_cast<long double>(-digits));
    const long double a = activity;
    const long double slack = 8 * LDBL_EPSILON * (std::fabs(a) + std::fabs(rounded) + unit);
    require(std::fabs(rounded - a) <= unit / 2 + slack,
            shown + ": " + show(activity) + " rounds to " + show(rounded));
    checkPrintsAndReadsBack(rounded, shown + " rounded to " + show(rounded));
    return 0;
}
