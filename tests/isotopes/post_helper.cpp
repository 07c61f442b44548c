// A second program for the fault tests: opens the database in <folder>,
// appends a row named <name> and posts it, then reports on stdout.
//
//   isotopes_post_helper <folder> <name> [--wait]
//
// Prints "uid <n>", then "posted" or "error: <message>". With --wait it stays
// alive after posting, so the test can kill it at that point.

#include "decay/error.h"
#include "isotopes/connection.h"
#include "isotopes/recordset.h"

#include <QCoreApplication>
#include <QLocale>
#include <QThread>

#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Polish));
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 64;
    std::printf("uid %u\n", static_cast<unsigned>(getuid()));
    std::fflush(stdout);

    try {
        isotopes::Connection connection;
        connection.setDatabaseFolder(args.at(1));
        connection.open();
        isotopes::RecordSet set;
        set.open(connection);
        set.append();
        set.setFieldText(isotopes::RecordSet::Nazwa, args.at(2));
        set.setFieldText(isotopes::RecordSet::Aktywnosc, QStringLiteral("1,5"));
        set.post();
        std::printf("posted\n");
        std::fflush(stdout);
        if (args.contains(QStringLiteral("--wait"))) {
            for (;;)
                QThread::sleep(1);
        }
    } catch (const halvora::Error &error) {
        std::printf("error: %s\n", error.what());
        std::fflush(stdout);
        return 2;
    }
    return 0;
}
