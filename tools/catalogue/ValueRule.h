#pragma once

#include "db/Dialect.h"

#include <QVariant>

namespace catalogue {

// What a column of the catalogue accepts, checked as the editor checks a typed value:
// whole numbers within the column's range, finite numbers, yes/no words, texts within the
// declared length and without NUL characters. The same rule holds for every engine, so a
// value one engine would store and another refuse is refused everywhere before writing.
class ValueRule {
public:
    explicit ValueRule(const db::ColumnInfo &column) : m_column(column) {}

    const QString &columnName() const { return m_column.name; }
    // The value to store for a CSV text or a value read from another catalogue: a number
    // for a number column, a boolean for a yes/no column, the text for a text column;
    // null for a null value and for an empty text outside text columns. False with the
    // reason when the column cannot take it.
    bool convert(QVariant &value, QString *reason) const;

private:
    bool toWhole(QVariant &value, QString *reason) const;
    bool toNumber(QVariant &value, QString *reason) const;
    bool toYesNo(QVariant &value, QString *reason) const;
    bool toText(QVariant &value, QString *reason) const;

    db::ColumnInfo m_column;
};

} // namespace catalogue
