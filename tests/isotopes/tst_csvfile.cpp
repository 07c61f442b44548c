// CSV text, parsing and the file reads and writes shared by the chart and
// the isotope table.

#include "decay/error.h"
#include "isotopes/csvfile.h"

#include "isotopefixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

using fixture::errorOf;

using Records = QList<QPair<int, QStringList>>;

Records records(const QString &text, QChar separator)
{
    Records result;
    for (const csvfile::Record &record : csvfile::parse(text, separator))
        result.append({record.line, record.fields});
    return result;
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class TestCsvFile final : public QObject
{
    Q_OBJECT

private slots:
    void separatorFollowsTheDecimalPoint()
    {
        QCOMPARE(csvfile::fieldSeparatorFor(QStringLiteral(",")), QChar(u';'));
        QCOMPARE(csvfile::fieldSeparatorFor(QStringLiteral(".")), QChar(u','));
        QCOMPARE(csvfile::fieldSeparatorFor(QStringLiteral("\u066B")), QChar(u','));
    }

    void writing_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("inCsv");  // with ";" between fields
        QTest::addColumn<QString>("inTabs"); // on the clipboard

        QTest::newRow("plain") << "Co-60" << "Co-60" << "Co-60";
        QTest::newRow("empty") << "" << "" << "";
        QTest::newRow("decimal comma") << "1,5" << "1,5" << "1,5";
        QTest::newRow("separator") << "a;b" << "\"a;b\"" << "a;b";
        QTest::newRow("quote") << "a\"b" << "\"a\"\"b\"" << "\"a\"\"b\"";
        QTest::newRow("line feed") << "a\nb" << "\"a\nb\"" << "\"a\nb\"";
        QTest::newRow("carriage return") << "a\rb" << "\"a\rb\"" << "\"a\rb\"";
        QTest::newRow("tab") << "a\tb" << "a\tb" << "\"a\tb\"";
        QTest::newRow("Polish letters") << "Aktywność" << "Aktywność" << "Aktywność";
    }

    void writing()
    {
        QFETCH(QString, field);
        QFETCH(QString, inCsv);
        QFETCH(QString, inTabs);
        const QList<QStringList> rows{{QStringLiteral("x"), field, QStringLiteral("y")}, {field}};
        QCOMPARE(csvfile::csvBytes(rows, u';'),
                 QByteArrayLiteral("\xEF\xBB\xBF")
                     + (QStringLiteral("x;") + inCsv + QStringLiteral(";y\r\n") + inCsv
                        + QStringLiteral("\r\n"))
                           .toUtf8());
        QCOMPARE(csvfile::tabText(rows), QStringLiteral("x\t") + inTabs + QStringLiteral("\ty\n") + inTabs
                                             + QStringLiteral("\n"));
        // What is written reads back as it was.
        QString back = QString::fromUtf8(csvfile::csvBytes(rows, u';'));
        if (back.startsWith(QChar(0xFEFF)))
            back.remove(0, 1);
        const Records parsed = records(back, u';');
        QCOMPARE(parsed.size(), field.isEmpty() ? 1 : 2); // a line of one empty field is an empty line
        QCOMPARE(parsed.first().second, rows.first());
    }

    void parsing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Records>("expected");

        QTest::newRow("CRLF") << "a;b\r\nc;d\r\n" << Records{{1, {"a", "b"}}, {2, {"c", "d"}}};
        QTest::newRow("LF, no final line end") << "a;b\nc;d" << Records{{1, {"a", "b"}}, {2, {"c", "d"}}};
        QTest::newRow("lone CR") << "a\rb" << Records{{1, {"a"}}, {2, {"b"}}};
        QTest::newRow("empty lines skipped, numbers kept")
            << "\r\na\r\n\r\n\nb\r\n" << Records{{2, {"a"}}, {5, {"b"}}};
        QTest::newRow("empty fields") << ";;\n" << Records{{1, {"", "", ""}}};
        QTest::newRow("quoted separator and quotes")
            << "\"a;b\";\"say \"\"hi\"\"\";c" << Records{{1, {"a;b", "say \"hi\"", "c"}}};
        QTest::newRow("quoted line breaks count as lines")
            << "\"x\r\ny\";1\n\"p\nq\";2\nz;3" << Records{{1, {"x\r\ny", "1"}}, {3, {"p\nq", "2"}}, {5, {"z", "3"}}};
        QTest::newRow("empty quoted field") << "\"\";a" << Records{{1, {"", "a"}}};
        QTest::newRow("quote inside a field taken as it stands")
            << "a\"b;c" << Records{{1, {"a\"b", "c"}}};
        QTest::newRow("spaces kept") << " a ; b " << Records{{1, {" a ", " b "}}};
    }

    void parsing()
    {
        QFETCH(QString, text);
        QFETCH(Records, expected);
        QCOMPARE(records(text, u';'), expected);
    }

    void unclosedQuoteNamesItsLine()
    {
        QCOMPARE(errorOf([] { csvfile::parse(QStringLiteral("a;b\nc;\"d\ne;f\n"), u';'); }),
                 QStringLiteral("Błąd w wierszu 2 pliku CSV: cudzysłów otwarty w tym wierszu nie został zamknięty"));
    }

    void detectingTheSeparator_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("decimalPoint");
        QTest::addColumn<QChar>("expected");

        QTest::newRow("tab") << "a\t1,5\t2" << "," << QChar(u'\t');
        QTest::newRow("semicolon") << "a;1,5;2" << "," << QChar(u';');
        QTest::newRow("semicolon in a point locale") << "a;1.5;2" << "." << QChar(u';');
        QTest::newRow("comma file in a point locale") << "a,1.5,2" << "." << QChar(u',');
        QTest::newRow("quoted semicolon is no separator") << "\"a;b\",1.5,2" << "." << QChar(u',');
        QTest::newRow("first non-empty line decides") << "\r\n\r\na;b\nc\td" << "." << QChar(u';');
        QTest::newRow("one field") << "a" << "," << QChar(u';');
    }

    void detectingTheSeparator()
    {
        QFETCH(QString, text);
        QFETCH(QString, decimalPoint);
        QFETCH(QChar, expected);
        QCOMPARE(csvfile::detectSeparator(text, decimalPoint), expected);
    }

    void readingText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");

        QTest::newRow("with byte-order mark") << QByteArray("\xEF\xBB\xBFNazwa;\xC4\x85") << "Nazwa;ą";
        QTest::newRow("without") << QByteArray("Nazwa;\xC4\x85\r\n") << "Nazwa;ą\r\n";
        QTest::newRow("empty") << QByteArray() << "";
    }

    void readingText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("plik.csv"));
        writeBytes(path, bytes);
        QCOMPARE(csvfile::readTextFile(path), expected);
    }

    void unreadableFilesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message"); // %1 is the path

        QTest::newRow("Latin-2, not UTF-8") << QByteArray("Nazwa;\xB1\r\n")
            << "Plik '%1' nie jest plikiem tekstowym w kodowaniu UTF-8";
        QTest::newRow("cut in the middle of a letter") << QByteArray("Nazwa;\xC4")
            << "Plik '%1' nie jest plikiem tekstowym w kodowaniu UTF-8";
        QTest::newRow("binary with NUL") << QByteArray("PK\x03\x04\x00\x00", 6)
            << "Plik '%1' nie jest plikiem tekstowym w kodowaniu UTF-8";
        QTest::newRow("over the limit") << QByteArray(1025, 'a')
            << "Plik '%1' jest za duży (dopuszczalne najwyżej 1024 bajtów)";
    }

    void unreadableFilesAreRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("plik.csv"));
        writeBytes(path, bytes);
        QCOMPARE(errorOf([&] { csvfile::readTextFile(path, 1024); }), message.arg(path));
    }

    // The size is checked before reading: a sparse 1 GB file is refused at
    // once, without its gigabyte being read into memory.
    void largeFileRefusedBeforeReading()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("duzy.csv"));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.resize(1024LL * 1024 * 1024));
        }
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(errorOf([&] { csvfile::readTextFile(path); }),
                 QStringLiteral("Plik '%1' jest za duży (dopuszczalne najwyżej 50 MB)").arg(path));
        QVERIFY(timer.elapsed() < 2000);
    }

    // A device without a size is read only up to the limit.
    void endlessDeviceStopsAtTheLimit()
    {
        QCOMPARE(errorOf([] { csvfile::readTextFile(QStringLiteral("/dev/zero"), 4096); }),
                 QStringLiteral("Plik '/dev/zero' jest za duży (dopuszczalne najwyżej 4096 bajtów)"));
    }

    void missingFileOrFolder()
    {
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("brak.csv"));
        QCOMPARE(errorOf([&] { csvfile::readTextFile(missing); }),
                 QStringLiteral("Nie można odczytać pliku '%1': No such file or directory").arg(missing));
        QCOMPARE(errorOf([&] { csvfile::readTextFile(dir.path()); }),
                 QStringLiteral("Nie można odczytać pliku '%1': to jest folder, nie plik").arg(dir.path()));
    }

    void writingReplacesTheFileWhole()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("dane.csv"));
        writeBytes(path, QByteArray(5000, 'o'));
        csvfile::writeFile(path, "new");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("new"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"dane.csv"});
    }

    // Tests run as root, which writes into read-only folders; these targets
    // cannot be written by anyone: a name under a regular file, and /proc.
    void unwritableTargetsLeaveNoFile()
    {
        QTemporaryDir dir;
        const QString plain = dir.filePath(QStringLiteral("plik"));
        writeBytes(plain, "keep");
        for (const QString &target : {plain + QStringLiteral("/dane.csv"),
                                      QStringLiteral("/proc/halvora-dane.csv")}) {
            const QString error = errorOf([&] { csvfile::writeFile(target, "data"); });
            QVERIFY2(error.startsWith(QStringLiteral("Nie można zapisać pliku '%1': ").arg(target)),
                     qPrintable(error));
            QVERIFY(error.size() > QStringLiteral("Nie można zapisać pliku '%1': ").arg(target).size());
            QVERIFY(!QFileInfo::exists(target));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"plik"});
    }
};

QTEST_GUILESS_MAIN(TestCsvFile)

#include "tst_csvfile.moc"
