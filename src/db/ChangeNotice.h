#pragma once

#include <QSqlDatabase>
#include <QString>

namespace db {

// Whether the table announces every row any session writes, so that editors learn of other
// programs' writes at once instead of by polling. Always false on an engine without
// announcements. Throws DatabaseError.
bool hasChangeNotices(const QSqlDatabase &db, const QString &table);
// Makes the table announce its writes, unless it does already (one transaction). Does
// nothing on an engine without announcements. Throws DatabaseError, for example when the
// role may not add triggers to the table.
void addChangeNotices(QSqlDatabase &db, const QString &table);

} // namespace db
