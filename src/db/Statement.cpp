#include "db/Statement.h"

#include "db/DatabaseError.h"
#include "db/Dialect.h"

#include <QSqlError>

namespace db {

namespace {

[[noreturn]] void fail(const QString &what, const QSqlError &error) {
    throw EngineError(what + QStringLiteral(": ") + errorText(error), error);
}

} // namespace

QSqlQuery runStatement(const QSqlDatabase &db, const QString &text, const QVariantList &bound,
                       const QString &what) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(text))
        fail(what, query.lastError());
    for (int i = 0; i < bound.size(); ++i)
        query.bindValue(i, bound.at(i));
    if (!query.exec())
        fail(what, query.lastError());
    return query;
}

void checkFinished(const QSqlQuery &query, const QString &what) {
    if (query.lastError().isValid())
        fail(what, query.lastError());
}

} // namespace db
