#include "db/SimpleSelect.h"

#include <QRegularExpression>

namespace db {

bool parseSimpleSelect(const QString &sql, QString *table, QString *where) {
    static const QRegularExpression form(
        QStringLiteral(
            R"(^\s*SELECT\s+\*\s+FROM\s+([A-Za-z_][A-Za-z0-9_]*)\s*(?:WHERE\s+(.+?))?\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = form.match(sql);
    if (!match.hasMatch())
        return false;
    *table = match.captured(1);
    *where = match.captured(2);
    return true;
}

} // namespace db
