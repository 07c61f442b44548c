// Number text. std::to_chars and std::from_chars do the digit work because
// they ignore the C locale: the application calls setlocale(), after which
// printf/strtod would switch their decimal point behind the program's back.

#include "decay/decaymodel.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

namespace decay {

namespace {

constexpr int significantDigits = 15;
// Scientific exponents (value = d.ddd * 10^e) shown in fixed notation:
// 0.0001 <= |value| < 1e15.
constexpr int lowestFixedExponent = -4;
constexpr int highestFixedExponent = 14;

[[noreturn]] void throwNotANumber(std::string_view text)
{
    throw halvora::Error("'" + std::string(text) + "' is not a valid floating point value");
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::string numberToText(long double value, std::string_view decimalSeparator)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0)
        return "0";

    // "-d.dddddddddddddde-dddd": correctly rounded to 15 digits (ties to even)
    // from the full extended value. Rounding first and choosing the notation
    // afterwards is what makes 999999999999999.9 come out as "1E15".
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                         std::chars_format::scientific, significantDigits - 1);
    if (ec != std::errc())
        throw halvora::Error("Invalid floating point operation"); // cannot happen: the buffer fits any long double

    const std::string_view formatted(buffer, static_cast<std::size_t>(end - buffer));
    const bool negative = formatted.front() == '-';
    const std::size_t ePos = formatted.find('e');

    std::string digits;
    digits.reserve(significantDigits);
    for (std::size_t i = negative ? 1 : 0; i < ePos; ++i) {
        if (formatted[i] != '.')
            digits += formatted[i];
    }
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string_view exponentText = formatted.substr(ePos + 1);
    if (!exponentText.empty() && exponentText.front() == '+')
        exponentText.remove_prefix(1);
    int exponent = 0;
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);

    std::string text;
    if (negative)
        text += '-';

    if (exponent >= lowestFixedExponent && exponent <= highestFixedExponent) {
        if (exponent < 0) {
            text += '0';
            text += decimalSeparator;
            text.append(static_cast<std::size_t>(-exponent - 1), '0');
            text += digits;
        } else {
            const auto wholeDigits = static_cast<std::size_t>(exponent) + 1;
            if (digits.size() <= wholeDigits) {
                text += digits;
                text.append(wholeDigits - digits.size(), '0');
            } else {
                text.append(digits, 0, wholeDigits);
                text += decimalSeparator;
                text.append(digits, wholeDigits);
            }
        }
    } else {
        text += digits.front();
        if (digits.size() > 1) {
            text += decimalSeparator;
            text.append(digits, 1);
        }
        text += 'E';
        text += std::to_string(exponent);
    }
    return text;
}

double textToNumber(std::string_view text, std::string_view decimalSeparator)
{
    std::size_t pos = 0;
    const std::size_t size = text.size();

    while (pos < size && text[pos] == ' ')
        ++pos;

    bool negative = false;
    if (pos < size && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }

    // The mantissa's digits, with the point's position among them.
    std::string digits;
    std::size_t wholeDigits = 0;
    bool separatorSeen = false;
    while (pos < size) {
        if (isDigit(text[pos])) {
            digits += text[pos];
            if (!separatorSeen)
                ++wholeDigits;
            ++pos;
        } else if (!separatorSeen && !decimalSeparator.empty()
                   && text.substr(pos).starts_with(decimalSeparator)) {
            separatorSeen = true;
            pos += decimalSeparator.size();
        } else {
            break;
        }
    }
    if (digits.empty())
        throwNotANumber(text);

    // Saturated: an exponent this large puts the value out of range whatever
    // the mantissa, and the sum below must not overflow.
    constexpr std::int64_t exponentLimit = 1'000'000'000'000LL;
    std::int64_t exponent = 0;
    if (pos < size && (text[pos] == 'E' || text[pos] == 'e')) {
        ++pos;
        bool exponentNegative = false;
        if (pos < size && (text[pos] == '+' || text[pos] == '-')) {
            exponentNegative = text[pos] == '-';
            ++pos;
        }
        if (pos >= size || !isDigit(text[pos]))
            throwNotANumber(text);
        while (pos < size && isDigit(text[pos])) {
            if (exponent < exponentLimit)
                exponent = exponent * 10 + (text[pos] - '0');
            ++pos;
        }
        if (exponentNegative)
            exponent = -exponent;
    }

    while (pos < size && text[pos] == ' ')
        ++pos;
    if (pos != size)
        throwNotANumber(text);

    // Normalise to 0.<digits> * 10^scale with no leading or trailing zeros,
    // so that the range can be judged before any conversion.
    const std::size_t firstNonZero = digits.find_first_not_of('0');
    if (firstNonZero == std::string::npos)
        return negative ? -0.0 : 0.0;
    const std::size_t lastNonZero = digits.find_last_not_of('0');
    const std::int64_t scale = exponent + static_cast<std::int64_t>(wholeDigits)
                               - static_cast<std::int64_t>(firstNonZero);
    const double zero = negative ? -0.0 : 0.0;

    // Beyond these the value is certainly above DBL_MAX (1.8e308) or below
    // half the smallest denormal (2.5e-324).
    if (scale > 310)
        throwNotANumber(text);
    if (scale < -330)
        return zero;

    std::string normalised = "0.";
    normalised.append(digits, firstNonZero, lastNonZero - firstNonZero + 1);
    normalised += 'e';
    normalised += std::to_string(scale);

    double value = 0.0;
    const char *first = normalised.data();
    const char *last = first + normalised.size();
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Reported for both ends of the range; only the top end is an error.
        if (scale > 0)
            throwNotANumber(text);
        return zero;
    }
    if (ec != std::errc() || ptr != last)
        throwNotANumber(text);
    return negative ? -value : value;
}

} // namespace decay
