// korvandel-make-demo FILE: writes the demo catalogue into a new SQLite database FILE.
// An existing file is left alone, so a designer's edits to the demo survive a restart.
#include "data/DemoCatalogue.h"
#include "db/DatabaseError.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlDatabase>
#include <cstdio>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: korvandel-make-demo DATABASE-FILE\n");
        return 2;
    }
    const QString path = args.at(1);
    if (QFileInfo::exists(path))
        return 0;
    int status = 0;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("demo"));
        db.setDatabaseName(path);
        try {
            if (!db.open())
                throw std::runtime_error("cannot create the database file");
            data::createDemoCatalogue(db);
        } catch (const db::DatabaseError &error) {
            std::fprintf(stderr, "korvandel-make-demo: %s: %s\n", qPrintable(path),
                         qPrintable(error.message()));
            status = 1;
        } catch (const std::exception &error) {
            std::fprintf(stderr, "korvandel-make-demo: %s: %s\n", qPrintable(path), error.what());
            status = 1;
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("demo"));
    if (status != 0)
        QFile::remove(path);
    return status;
}
