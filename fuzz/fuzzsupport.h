#pragma once

// Helpers shared by the fuzz targets: reading values from the fuzzer's bytes,
// the reference conversions of the C library, and the failure report.
//
// The references use snprintf and strtod under the "C" locale. Nothing in a
// fuzz target calls setlocale(), so the C library keeps "." as its decimal
// point; the program's own number text never goes through either of them.

#include "decay/error.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace fuzzsupport {

// A finding: print what was checked and abort, so that libFuzzer keeps the
// input as a crash file and the run fails.
[[noreturn]] inline void fail(const std::string &what)
{
    std::fprintf(stderr, "PROPERTY VIOLATED: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

inline void require(bool condition, const std::string &what)
{
    if (!condition)
        fail(what);
}

// Consumes bytes from the front of the fuzzer's input; missing bytes read as 0.
class Bytes final
{
public:
    Bytes(const std::uint8_t *data, std::size_t size)
        : m_data(data), m_size(size)
    {
    }

    std::uint8_t byte()
    {
        return m_pos < m_size ? m_data[m_pos++] : 0;
    }

    double real()
    {
        std::uint64_t bits = 0;
        for (int i = 0; i < 8; ++i)
            bits |= static_cast<std::uint64_t>(byte()) << (8 * i);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    std::string_view rest() const
    {
        return {reinterpret_cast<const char *>(m_data) + m_pos, m_size - m_pos};
    }

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// Hex of the exact bits, for messages about values.
inline std::string show(long double value)
{
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%.21Lg (%La)", value, value);
    return buffer;
}

inline std::string show(double value)
{
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%.17g (%a)", value, value);
    return buffer;
}

inline bool sameDouble(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// What reading a "." text as a double gives: the correctly rounded value,
// or, when it lies beyond the double range, nothing (outOfRange). Underflow
// (tiny or zero results) is a value, not an error.
struct Reference final
{
    bool outOfRange = false;
    double value = 0.0;
};

inline Reference referenceRead(const std::string &dotText)
{
    Reference ref;
    errno = 0;
    char *end = nullptr;
    ref.value = std::strtod(dotText.c_str(), &end);
    if (end != dotText.c_str() + dotText.size())
        fail("reference strtod did not read all of '" + dotText + "'");
    if (errno == ERANGE && std::isinf(ref.value))
        ref.outOfRange = true;
    return ref;
}

// The value rounded to 15 significant digits, ties to even, as
// "[-]d.dddddddddddddde[+-]dd": the digits a 15-digit number text must show.
inline std::string referenceFifteenDigits(long double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14Le", value);
    return buffer;
}

// The conversion error as what() shows it: a C string, so a text with a NUL
// byte in it is cut short there.
inline std::string notANumberMessage(std::string_view text)
{
    const std::string message = "'" + std::string(text) + "' is not a valid floating point value";
    return message.substr(0, message.find('\0'));
}

// A text for a failure report, with bytes outside printable ASCII as \xNN.
inline std::string escaped(std::string_view text)
{
    std::string result;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f && byte != '\\') {
            result += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            result += hex;
        }
    }
    return result;
}

} // namespace fuzzsupport
