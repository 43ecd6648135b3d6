// Writes the demo catalogue into a new SQLite file: make_demo_catalogue <path>.
// The end-to-end script starts the editor on such a file.
#include "data/DemoCatalogue.h"
#include "db/DatabaseError.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <cstdio>

int main(int argc, char *argv[]) {
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::fputs("usage: make_demo_catalogue <new sqlite file>\n", stderr);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    QFile::remove(path);
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
        database.setDatabaseName(path);
        if (!database.open()) {
            std::fprintf(stderr, "cannot create %s\n", argv[1]);
            return 1;
        }
        try {
            data::createDemoCatalogue(database);
        } catch (const db::DatabaseError &error) {
            std::fprintf(stderr, "%s\n", qPrintable(error.message()));
            return 1;
        }
    }
    return 0;
}
