// Number text against the C library it replaces, and the whole "=" arithmetic.
// snprintf/strtod are the baseline only: they follow the C locale, which is
// why the program does not use them.

#include "decay/decaymodel.h"

#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const std::vector<long double> sampleValues{
    50.0L, 50.0073595L, 793.700525984099737L, 9.5367431640625e-7L, -1.25e-7L,
    123456789012345.6L, 1e300L, 0.1L, 2.0L / 3, 4.9406564584124654e-324L,
};

const std::vector<std::string> commaTexts{
    "100", "1,5", "  -37,25e-3 ", "0,000123", "123456789012345", "1e300", "5,", "0,1",
};

// The same texts in C notation, for strtod.
std::vector<std::string> pointCopies(std::vector<std::string> texts)
{
    for (std::string &text : texts)
        std::replace(text.begin(), text.end(), ',', '.');
    return texts;
}

} // namespace

class DecayBench final : public QObject
{
    Q_OBJECT

private slots:
    void numberToText();
    void snprintfBaseline();
    void textToNumber();
    void strtodBaseline();
    void equalsCommand();
};

void DecayBench::numberToText()
{
    std::size_t total = 0;
    QBENCHMARK {
        for (const long double value : sampleValues)
            total += decay::numberToText(value, ",").size();
    }
    QVERIFY(total > 0);
}

void DecayBench::snprintfBaseline()
{
    char buffer[64];
    std::size_t total = 0;
    QBENCHMARK {
        for (const long double value : sampleValues)
            total += static_cast<std::size_t>(std::snprintf(buffer, sizeof buffer, "%.14Le", value));
    }
    QVERIFY(total > 0);
}

void DecayBench::textToNumber()
{
    double sum = 0;
    QBENCHMARK {
        for (const std::string &text : commaTexts)
            sum += decay::textToNumber(text, ",");
    }
    QVERIFY(sum != 0);
}

void DecayBench::strtodBaseline()
{
    const std::vector<std::string> texts = pointCopies(commaTexts);
    double sum = 0;
    QBENCHMARK {
        for (const std::string &text : texts)
            sum += std::strtod(text.c_str(), nullptr);
    }
    QVERIFY(sum != 0);
}

void DecayBench::equalsCommand()
{
    // One "=": three conversions, the formula, the rounding and the result text.
    std::size_t total = 0;
    QBENCHMARK {
        const double a0 = decay::textToNumber(decay::normaliseDecimalPoint("1000", ","), ",");
        const double t = decay::textToNumber(decay::normaliseDecimalPoint("1", ","), ",");
        const double halfLife = decay::textToNumber(decay::normaliseDecimalPoint("3", ","), ",");
        const double a = decay::decayedActivity(a0, t, halfLife, decay::Formula::HalfLife);
        total += decay::numberToText(decay::roundToPrecision(a, 4), ",").size();
    }
    QVERIFY(total > 0);
}

QTEST_APPLESS_MAIN(DecayBench)
#include "decay_bench.moc"
