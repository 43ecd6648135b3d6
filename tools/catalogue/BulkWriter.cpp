#include "BulkWriter.h"

#include "PostgresCopy.h"
#include "SqliteInsert.h"

#include "db/Dialect.h"

namespace catalogue {

std::unique_ptr<BulkWriter> BulkWriter::forConnection(QSqlDatabase &db, const QString &table,
                                                      const QStringList &columns) {
    switch (db::Dialect::of(db).bulkLoader()) {
    case db::Dialect::BulkLoader::CopyFromStdin:
        return PostgresCopy::forConnection(db, table, columns);
    case db::Dialect::BulkLoader::EmbeddedStatement:
        return SqliteInsert::forConnection(db, table, columns);
    case db::Dialect::BulkLoader::None:
        break;
    }
    return nullptr;
}

} // namespace catalogue
