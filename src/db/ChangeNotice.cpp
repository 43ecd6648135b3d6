#include "db/ChangeNotice.h"

#include "db/DatabaseError.h"
#include "db/Dialect.h"
#include "db/Transaction.h"

#include <QSqlQuery>

namespace db {

bool hasChangeNotices(const QSqlDatabase &db, const QString &table) {
    return Dialect::of(db).announcesChanges(db, table);
}

void addChangeNotices(QSqlDatabase &db, const QString &table) {
    const Dialect &dialect = Dialect::of(db);
    const QString key = dialect.keyColumn(db, table);
    if (key.isEmpty())
        throw DatabaseError(
            QStringLiteral("Table %1 has no single integer key to announce").arg(table));
    const QStringList statements = dialect.changeNoticeStatements(table, key);
    if (statements.isEmpty() || dialect.announcesChanges(db, table))
        return;
    const QString what = QStringLiteral("Cannot make table %1 announce its changes").arg(table);
    Transaction transaction(db, what, Transaction::Mode::Write);
    QSqlQuery query(db);
    // Plain statements: a server cannot prepare these.
    for (const QString &statement : statements)
        if (!query.exec(statement))
            throw EngineError(what + QStringLiteral(": ") + errorText(query.lastError()),
                              query.lastError());
    transaction.commit();
}

} // namespace db
