#include "db/Statement.h"

#include "db/DatabaseError.h"
#include "db/Dialect.h"
#include "db/ServerDeadline.h"

#include <QSqlError>

namespace db {

namespace {

[[noreturn]] void fail(const QString &what, const QSqlError &error,
                       const ServerDeadline *deadline = nullptr) {
    const bool silent = deadline && deadline->expired();
    throw EngineError(
        what + QStringLiteral(": ") + (silent ? deadline->silenceText() : errorText(error)), error);
}

} // namespace

QSqlQuery runStatement(const QSqlDatabase &db, const QString &text, const QVariantList &bound,
                       const QString &what) {
    const ServerDeadline deadline(db);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(text))
        fail(what, query.lastError(), &deadline);
    for (int i = 0; i < bound.size(); ++i)
        query.bindValue(i, bound.at(i));
    if (!query.exec())
        fail(what, query.lastError(), &deadline);
    return query;
}

void checkFinished(const QSqlQuery &query, const QString &what) {
    if (query.lastError().isValid())
        fail(what, query.lastError());
}

} // namespace db
