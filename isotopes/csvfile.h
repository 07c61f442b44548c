#pragma once

// CSV text and files for the spreadsheet exchange of the chart data and the
// isotope table. No widgets: the views build their rows as texts, this unit
// turns them into file bytes or clipboard text, writes and reads the files.
//
// A file is written for a spreadsheet opened in the user's locale: UTF-8 with
// a byte-order mark, ";" between fields where the decimal separator is ","
// (so "1,5" stays one number) and "," elsewhere, CRLF after every row, and a
// field quoted ("...", inner quotes doubled) when it holds the field
// separator, a quote or a line break.
//
// Failures throw halvora::Error with a Polish message naming the file.

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

namespace csvfile {

// Files above this size are refused before anything is read.
inline constexpr qint64 maxFileBytes = 50LL * 1024 * 1024;

// ";" for a "," decimal separator, "," for any other.
QChar fieldSeparatorFor(const QString &decimalPoint);

// The rows as a CSV file: byte-order mark, quoted fields, CRLF line ends.
QByteArray csvBytes(const QList<QStringList> &rows, QChar separator);

// The rows for the clipboard: tab-separated, "\n" after every row, no
// byte-order mark. Fields holding a tab, a quote or a line break are quoted,
// which spreadsheets understand when pasting.
QString tabText(const QList<QStringList> &rows);

// Writes the bytes under path through a temporary file renamed into place on
// success, so a failed write (folder not writable, disk full) leaves neither
// a partial file nor a damaged older one.
void writeFile(const QString &path, const QByteArray &bytes);

// The whole file as text, the byte-order mark removed. Refuses a missing or
// unreadable file, one larger than maxBytes (checked before reading and
// again while reading, for files whose size the system does not know), and
// one that is not UTF-8 text (invalid sequences or NUL characters).
QString readTextFile(const QString &path, qint64 maxBytes = maxFileBytes);

struct Record
{
    int line = 0; // 1-based line of the file where the record starts
    QStringList fields;
};

// Splits CSV text into records. CRLF, LF and lone CR end a line; a quoted
// field may hold separators, doubled quotes and line breaks (kept as they
// are). Empty lines are skipped. An unclosed quote throws, naming the line
// where the field began.
std::vector<Record> parse(const QString &text, QChar separator);

// The separator of a file to read: a tab when the first non-empty line holds
// one, else ";" when it holds one, else the locale's (fieldSeparatorFor).
QChar detectSeparator(const QString &text, const QString &decimalPoint);

// "Błąd w wierszu <line> pliku CSV: <reason>"
QString lineErrorText(int line, const QString &reason);

} // namespace csvfile
