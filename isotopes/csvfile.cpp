#include "isotopes/csvfile.h"

#include "decay/error.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>

namespace csvfile {

namespace {

constexpr char16_t kQuote = u'"';
constexpr char16_t kByteOrderMark = 0xFEFF;

[[noreturn]] void fail(const QString &message)
{
    throw halvora::Error(message.toStdString());
}

QString quoted(const QString &field, QChar separator)
{
    const bool needsQuotes = field.contains(separator) || field.contains(kQuote)
                             || field.contains(u'\r') || field.contains(u'\n');
    if (!needsQuotes)
        return field;
    QString text = field;
    text.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return kQuote + text + kQuote;
}

QString joined(const QList<QStringList> &rows, QChar separator, const QString &lineEnd)
{
    QString text;
    for (const QStringList &row : rows) {
        for (qsizetype i = 0; i < row.size(); ++i) {
            if (i > 0)
                text += separator;
            text += quoted(row.at(i), separator);
        }
        text += lineEnd;
    }
    return text;
}

QString tooLargeText(const QString &path, qint64 maxBytes)
{
    constexpr qint64 megabyte = 1024 * 1024;
    const QString limit = maxBytes % megabyte == 0 ? QStringLiteral("%1 MB").arg(maxBytes / megabyte)
                                                   : QStringLiteral("%1 bajtów").arg(maxBytes);
    return QStringLiteral("Plik '%1' jest za duży (dopuszczalne najwyżej %2)").arg(path, limit);
}

} // namespace

QChar fieldSeparatorFor(const QString &decimalPoint)
{
    return decimalPoint == QStringLiteral(",") ? QChar(u';') : QChar(u',');
}

QByteArray csvBytes(const QList<QStringList> &rows, QChar separator)
{
    return QByteArrayLiteral("\xEF\xBB\xBF") + joined(rows, separator, QStringLiteral("\r\n")).toUtf8();
}

QString tabText(const QList<QStringList> &rows)
{
    return joined(rows, QChar(u'\t'), QStringLiteral("\n"));
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    const auto writeFail = [&path](const QString &reason) {
        fail(QStringLiteral("Nie można zapisać pliku '%1': %2").arg(path, reason));
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        writeFail(file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        writeFail(reason);
    }
    // commit() flushes, and only a complete file is renamed into place; on
    // failure the temporary file is removed.
    if (!file.commit())
        writeFail(file.errorString());
}

QString readTextFile(const QString &path, qint64 maxBytes)
{
    const auto readFail = [&path](const QString &reason) {
        fail(QStringLiteral("Nie można odczytać pliku '%1': %2").arg(path, reason));
    };
    if (QFileInfo(path).isDir())
        readFail(QStringLiteral("to jest folder, nie plik"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        readFail(file.errorString());
    if (!file.isSequential() && file.size() > maxBytes)
        fail(tooLargeText(path, maxBytes));

    // Read in pieces up to one byte past the limit: devices and files of the
    // system report no size, and a file may grow while it is read.
    QByteArray bytes;
    constexpr qint64 chunk = 1 << 16;
    while (bytes.size() <= maxBytes) {
        const QByteArray piece = file.read(std::min(chunk, maxBytes + 1 - bytes.size()));
        if (piece.isEmpty()) {
            if (file.error() != QFileDevice::NoError)
                readFail(file.errorString());
            break;
        }
        bytes += piece;
    }
    if (bytes.size() > maxBytes)
        fail(tooLargeText(path, maxBytes));

    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError() || bytes.contains('\0'))
        fail(QStringLiteral("Plik '%1' nie jest plikiem tekstowym w kodowaniu UTF-8").arg(path));
    if (text.startsWith(QChar(kByteOrderMark)))
        text.remove(0, 1);
    return text;
}

std::vector<Record> parse(const QString &text, QChar separator)
{
    std::vector<Record> records;
    Record record;
    record.line = 1;
    QString field;
    bool inQuotes = false;
    bool fieldQuoted = false;
    bool lineHasContent = false;
    int line = 1;
    int quoteLine = 1;

    const auto endRecord = [&] {
        if (lineHasContent) {
            record.fields << field;
            records.push_back(std::move(record));
        }
        record = Record();
        field.clear();
        fieldQuoted = false;
        lineHasContent = false;
    };

    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (inQuotes) {
            if (c == kQuote) {
                if (i + 1 < n && text.at(i + 1) == kQuote) {
                    field += c;
                    ++i;
                } else {
                    inQuotes = false;
                }
            } else if (c == u'\r' || c == u'\n') {
                // A line break inside a field is kept as the file has it.
                field += c;
                if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
                    field += text.at(++i);
                ++line;
            } else {
                field += c;
            }
            continue;
        }
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
            endRecord();
            ++line;
            record.line = line;
            continue;
        }
        lineHasContent = true;
        if (c == separator) {
            record.fields << field;
            field.clear();
            fieldQuoted = false;
        } else if (c == kQuote && field.isEmpty() && !fieldQuoted) {
            inQuotes = true;
            fieldQuoted = true;
            quoteLine = line;
        } else {
            // A quote inside an unquoted field, or text after a closing
            // quote, is taken as it stands.
            field += c;
        }
    }
    if (inQuotes)
        fail(lineErrorText(quoteLine, QStringLiteral("cudzysłów otwarty w tym wierszu nie został zamknięty")));
    endRecord();
    return records;
}

QChar detectSeparator(const QString &text, const QString &decimalPoint)
{
    bool inQuotes = false;
    bool semicolon = false;
    bool seenContent = false;
    for (const QChar c : text) {
        if (c == kQuote) {
            inQuotes = !inQuotes;
        } else if (inQuotes) {
            continue;
        } else if (c == u'\r' || c == u'\n') {
            if (seenContent)
                break;
            continue;
        } else if (c == u'\t') {
            return QChar(u'\t');
        } else if (c == u';') {
            semicolon = true;
        }
        seenContent = true;
    }
    return semicolon ? QChar(u';') : fieldSeparatorFor(decimalPoint);
}

QString lineErrorText(int line, const QString &reason)
{
    return QStringLiteral("Błąd w wierszu %1 pliku CSV: %2").arg(line).arg(reason);
}

} // namespace csvfile
