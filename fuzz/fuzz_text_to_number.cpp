// Text to number: a text is accepted exactly when it is a decimal number in
// the given separator's notation, and then it reads as the correctly rounded
// double.
//
// The grammar is checked against a small state machine written here, apart
// from the program's reader; the value against strtod on the same text with
// the separator turned into "." (C locale).
//
// Input: the first byte picks the separator and whether the rest is taken as
// raw bytes or mapped onto the number alphabet (which reaches deep into the
// grammar far more often than raw bytes do).

#include "decay/decaymodel.h"
#include "fuzzsupport.h"

#include <array>

using namespace fuzzsupport;

namespace {

// "," and "." as on Polish and English systems, and a two-byte UTF-8
// separator (U+066B ARABIC DECIMAL SEPARATOR) to exercise a multi-byte match.
constexpr std::array<std::string_view, 3> separators{",", ".", "\xD9\xAB"};

// Tokens of the mapped mode. The empty entry stands for the separator; "\xD9"
// is the first half of the two-byte separator alone, "x" and "\t" are
// foreign characters.
constexpr std::array<std::string_view, 22> alphabet{
    "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "9",
    " ", " ", "+", "-", "e", "E", "", "", "\xD9", "x", "\t"};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The grammar: blanks, optional sign, digits with at most one separator and
// at least one digit, optional exponent (E or e, optional sign, at least one
// digit), blanks.
bool modelAccepts(std::string_view text, std::string_view sep)
{
    enum class State { Lead, Sign, Mantissa, ExpMark, ExpSign, ExpDigits, Trail };
    State state = State::Lead;
    bool mantissaDigit = false;
    bool separatorSeen = false;

    std::size_t pos = 0;
    while (pos < text.size()) {
        const char c = text[pos];
        const bool atSeparator = text.substr(pos).starts_with(sep);
        switch (state) {
        case State::Lead:
        case State::Sign:
            if (state == State::Lead && c == ' ') {
                ++pos;
            } else if (state == State::Lead && (c == '+' || c == '-')) {
                state = State::Sign;
                ++pos;
            } else if (isDigit(c)) {
                state = State::Mantissa;
                mantissaDigit = true;
                ++pos;
            } else if (atSeparator) {
                state = State::Mantissa;
                separatorSeen = true;
                pos += sep.size();
            } else {
                return false;
            }
            break;
        case State::Mantissa:
            if (isDigit(c)) {
                mantissaDigit = true;
                ++pos;
            } else if (atSeparator && !separatorSeen) {
                separatorSeen = true;
                pos += sep.size();
            } else if ((c == 'e' || c == 'E') && mantissaDigit) {
                state = State::ExpMark;
                ++pos;
            } else if (c == ' ' && mantissaDigit) {
                state = State::Trail;
                ++pos;
            } else {
                return false;
            }
            break;
        case State::ExpMark:
            if (c == '+' || c == '-') {
                state = State::ExpSign;
                ++pos;
            } else if (isDigit(c)) {
                state = State::ExpDigits;
                ++pos;
            } else {
                return false;
            }
            break;
        case State::ExpSign:
            if (!isDigit(c))
                return false;
            state = State::ExpDigits;
            ++pos;
            break;
        case State::ExpDigits:
            if (isDigit(c)) {
                ++pos;
            } else if (c == ' ') {
                state = State::Trail;
                ++pos;
            } else {
                return false;
            }
            break;
        case State::Trail:
            if (c != ' ')
                return false;
            ++pos;
            break;
        }
    }
    return (state == State::Mantissa && mantissaDigit) || state == State::ExpDigits
           || state == State::Trail;
}

// The accepted text as strtod reads it: no blanks, "." as the separator.
std::string dotText(std::string_view text, std::string_view sep)
{
    const std::size_t first = text.find_first_not_of(' ');
    const std::size_t last = text.find_last_not_of(' ');
    const std::string_view core = text.substr(first, last - first + 1);
    std::string result;
    for (std::size_t pos = 0; pos < core.size();) {
        if (core.substr(pos).starts_with(sep)) {
            result += '.';
            pos += sep.size();
        } else {
            result += core[pos++];
        }
    }
    return result;
}

void check(std::string_view text, std::string_view sep)
{
    const std::string shown = "text '" + escaped(text) + "' with separator '"
                              + escaped(sep) + "'";
    const bool grammatical = modelAccepts(text, sep);
    const Reference ref = grammatical ? referenceRead(dotText(text, sep)) : Reference{};
    const bool shouldAccept = grammatical && !ref.outOfRange;

    double value = 0.0;
    try {
        value = decay::textToNumber(text, sep);
    } catch (const halvora::Error &error) {
        require(!shouldAccept, shown + ": refused (" + error.what() + ") but "
                                   + (grammatical ? "reads as " + show(ref.value) : "?"));
        require(error.what() == notANumberMessage(text),
                shown + ": wrong message '" + escaped(error.what()) + "'");
        return;
    } catch (...) {
        fail(shown + ": an exception other than halvora::Error");
    }
    require(shouldAccept, shown + ": accepted as " + show(value) + " but "
                              + (grammatical ? "beyond the double range" : "not a number"));
    require(sameDouble(value, ref.value),
            shown + ": read as " + show(value) + ", strtod gives " + show(ref.value));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Bytes bytes(data, size);
    const std::uint8_t mode = bytes.byte();
    const std::string_view sep = separators[(mode & 0x3) % separators.size()];
    const bool mapped = (mode & 0x4) != 0;
    const std::string_view rest = bytes.rest();

    if (!mapped) {
        check(rest, sep);
        return 0;
    }
    std::string text;
    for (const char c : rest) {
        const std::string_view token = alphabet[static_cast<std::uint8_t>(c) % alphabet.size()];
        text += token.empty() ? sep : token;
    }
    check(text, sep);
    return 0;
}
