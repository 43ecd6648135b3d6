#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

namespace db {

// Prepares a statement, binds the values to its "?" placeholders in order and runs it,
// forward-only. Throws EngineError("<what>: <engine's reason>") when any step fails.
QSqlQuery runStatement(const QSqlDatabase &db, const QString &text, const QVariantList &bound,
                       const QString &what);
// Throws EngineError for a query that failed while its rows were being read: a step that
// fails ends the row loop like the last row would.
void checkFinished(const QSqlQuery &query, const QString &what);

} // namespace db
