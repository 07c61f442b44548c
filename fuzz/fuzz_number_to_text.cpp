// Number to text, for every finite value: a well-formed text of at most 15
// significant digits, those digits being the value rounded to 15 digits (ties
// to even) as snprintf("%.14Le") gives them under the C locale, in fixed
// notation exactly for 1e-4 <= |rounded| < 1e15, and a text that reads back
// as that rounded value: textToNumber() must give bit for bit what strtod
// gives on the snprintf text. Only when the rounding itself leaves the double
// range (above 1.797693134862315e308, which prints as 1,79769313486232E308)
// must the read-back be refused, with the usual message.
//
// Input: the first byte picks the separator and whether the value is a double
// (next 8 bytes, bit pattern) or an extended value (8 bytes of mantissa and 2
// of exponent), as the rounding hands numberToText() extended values.

#include "decay/decaymodel.h"
#include "fuzzsupport.h"

#include <array>
#include <cmath>

using namespace fuzzsupport;

namespace {

constexpr std::array<std::string_view, 3> separators{",", ".", "\xD9\xAB"};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A number text taken apart: sign, the significant digits without leading or
// trailing zeros, and the exponent of the first of them (value = d.ddd * 10^e).
struct Parts final
{
    bool negative = false;
    std::string digits;
    int exponent = 0;
    bool scientific = false;
};

Parts referenceParts(long double value)
{
    const std::string ref = referenceFifteenDigits(value);
    Parts parts;
    std::size_t pos = 0;
    if (ref[pos] == '-') {
        parts.negative = true;
        ++pos;
    }
    const std::size_t ePos = ref.find('e');
    for (; pos < ePos; ++pos) {
        if (ref[pos] != '.')
            parts.digits += ref[pos];
    }
    while (parts.digits.size() > 1 && parts.digits.back() == '0')
        parts.digits.pop_back();
    parts.exponent = std::stoi(ref.substr(ePos + 1));
    return parts;
}

// Checks the form of the text while taking it apart.
Parts parseText(const std::string &text, std::string_view sep, const std::string &shown)
{
    Parts parts;
    std::size_t pos = 0;
    if (pos < text.size() && text[pos] == '-') {
        parts.negative = true;
        ++pos;
    }
    std::string whole;
    std::string fraction;
    bool separatorSeen = false;
    while (pos < text.size()) {
        if (isDigit(text[pos])) {
            (separatorSeen ? fraction : whole) += text[pos];
            ++pos;
        } else if (!separatorSeen && text.compare(pos, sep.size(), sep) == 0) {
            separatorSeen = true;
            pos += sep.size();
        } else {
            break;
        }
    }
    require(!whole.empty(), shown + ": no digit before the separator");
    if (separatorSeen) {
        require(!fraction.empty(), shown + ": trailing separator");
        require(fraction.back() != '0', shown + ": trailing zero after the separator");
    }
    require(whole.size() == 1 || whole.front() != '0', shown + ": leading zero");

    int written = 0;
    if (pos < text.size()) {
        require(text[pos] == 'E', shown + ": unexpected character");
        parts.scientific = true;
        ++pos;
        bool negativeExponent = false;
        if (pos < text.size() && text[pos] == '-') {
            negativeExponent = true;
            ++pos;
        }
        const std::string exponentDigits = text.substr(pos);
        require(!exponentDigits.empty(), shown + ": empty exponent");
        for (const char c : exponentDigits)
            require(isDigit(c), shown + ": exponent is not a whole number");
        require(exponentDigits.front() != '0', shown + ": exponent with a leading zero");
        written = std::stoi(exponentDigits);
        if (negativeExponent)
            written = -written;
        require(whole.size() == 1 && whole != "0",
                shown + ": scientific mantissa is not d.ddd");
        require(fraction.empty() || fraction.back() != '0',
                shown + ": trailing zero in the mantissa");
    }

    const std::string all = whole + fraction;
    const std::size_t first = all.find_first_not_of('0');
    require(first != std::string::npos, shown + ": a zero that is not \"0\"");
    const std::size_t last = all.find_last_not_of('0');
    parts.digits = all.substr(first, last - first + 1);
    parts.exponent = written + static_cast<int>(whole.size()) - 1 - static_cast<int>(first);
    return parts;
}

void check(long double value, std::string_view sep)
{
    const std::string text = decay::numberToText(value, sep);
    const std::string shown = show(value) + " printed as '" + text + "' (separator '"
                              + escaped(sep) + "')";

    if (value == 0) {
        require(text == "0", shown + ": zero must print as \"0\"");
    } else {
        const Parts expected = referenceParts(value);
        const Parts got = parseText(text, sep, shown);
        require(got.digits.size() <= 15, shown + ": more than 15 significant digits");
        require(got.negative == expected.negative, shown + ": wrong sign");
        require(got.digits == expected.digits && got.exponent == expected.exponent,
                shown + ": digits differ from the 15-digit rounding "
                    + referenceFifteenDigits(value));
        const bool fixed = expected.exponent >= -4 && expected.exponent <= 14;
        require(got.scientific != fixed, shown + ": wrong notation");
    }

    const Reference ref = referenceRead(value == 0 ? "0" : referenceFifteenDigits(value));
    try {
        const double back = decay::textToNumber(text, sep);
        require(!ref.outOfRange, shown + ": beyond the double range but read back");
        require(sameDouble(back, ref.value), shown + ": reads back as " + show(back)
                                                 + ", expected " + show(ref.value));
    } catch (const halvora::Error &error) {
        require(ref.outOfRange, shown + ": refused by textToNumber: " + error.what());
        require(error.what() == notANumberMessage(text), shown + ": wrong message");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Bytes bytes(data, size);
    const std::uint8_t mode = bytes.byte();
    const std::string_view sep = separators[(mode & 0x3) % separators.size()];

    long double value;
    if ((mode & 0x4) == 0) {
        const double d = bytes.real();
        if (!std::isfinite(d))
            return 0; // the arithmetic never hands out NaN or infinity
        value = d;
    } else {
        // Built with ldexpl, so only canonical extended values come out.
        std::uint64_t mantissa = 0;
        for (int i = 0; i < 8; ++i)
            mantissa |= static_cast<std::uint64_t>(bytes.byte()) << (8 * i);
        const int exponent = static_cast<int>(bytes.byte() | (bytes.byte() << 8)) % 32830 - 16445 - 63;
        value = std::ldexp(static_cast<long double>(mantissa), exponent);
        if (mode & 0x8)
            value = -value;
        if (!std::isfinite(value))
            return 0;
    }
    check(value, sep);
    return 0;
}
