#pragma once

// The arithmetic core of Halvora, free of any window or Qt type.
//
// decaymodel.h holds the two decay formulas, the rounding of a result to a
// number of decimal places and the rules for numbers as text; units.h holds
// the activity unit cycle. The calculation page reads its edit fields, passes
// the texts through normaliseDecimalPoint() and textToNumber(), computes with
// decayedActivity(), rounds with roundToPrecision() and writes numberToText()
// back; the unit cycle and the chart use the same functions, so every number
// the program shows follows one set of rules.
//
// Intermediate results are kept in long double, which is the 80-bit x87
// extended format on the x86 targets the program is built for; the displayed
// digits (rounding ties in particular) depend on that width.
//
// Arithmetic faults are errors, never special values: every function that
// computes reports invalid operation, division by zero and overflow as
// halvora::Error, while underflow quietly gives a tiny value or zero.
//
// The decimal separator is always a parameter (UTF-8, normally "," or "."):
// nothing here reads the C locale, which the application changes at start-up.

#include "decay/error.h"

#include <string>
#include <string_view>

namespace decay {

enum class Formula { HalfLife, Logarithmic };

// HalfLife:    A = A0 / 2^(t/T)
// Logarithmic: A = e^((-0.693*t)/T) * A0, multiplying before dividing; the
//              constant is the three-decimal -0.693, not ln 2.
// Computed in long double and stored as double. Throws halvora::Error with
// "Invalid floating point operation", "Floating point division by zero" or
// "Floating point overflow" (checked in that order) for what the computation
// raised, the final store to double included. T = 0 is not special-cased:
// callers that want another outcome test for it first. When 2^(t/T) itself
// leaves the extended range, the outcome is that of the exact quotient: 0 for
// a very long storage period (as the logarithmic formula gives), an overflow
// for a very large negative one.
double decayedActivity(double a0, double t, double halfLife, Formula formula);

// 10^(-d) * N, where N is the whole number nearest to value * 10^d (ties to
// the even neighbour). A negative d rounds to tens, hundreds and so on.
// d outside -20..20 throws halvora::Error("Invalid argument"); arithmetic
// faults throw as in decayedActivity().
long double roundToPrecision(long double value, int digits);

// At most 15 significant digits of the extended value, no trailing zeros, no
// thousands separator, "-" for negatives and "0" for either zero. Fixed
// notation when 0.0001 <= |v| < 1e15 after the rounding to 15 digits,
// scientific otherwise ("1,5E-5", "2E15", "-1,25E-7"). Infinities and NaN,
// which the arithmetic above never returns, print as "INF", "-INF" and "NAN".
std::string numberToText(long double value, std::string_view decimalSeparator);

// Accepts exactly: blanks (spaces), an optional "+" or "-", digits with at
// most one decimalSeparator and at least one digit in all ("5," and ",5" are
// numbers), an optional exponent ("E" or "e", optional sign, digits), blanks.
// Anything else, and a value beyond the double range, throws
// halvora::Error("'<text>' is not a valid floating point value") quoting the
// text as given. A value too small for a double gives 0 (signed like the text,
// as "-0" gives -0).
double textToNumber(std::string_view text, std::string_view decimalSeparator);

// If the text contains ".", every "." becomes decimalSeparator; otherwise the
// text is returned unchanged. On a "." locale this leaves the text alone.
std::string normaliseDecimalPoint(std::string_view text, std::string_view decimalSeparator);

} // namespace decay
