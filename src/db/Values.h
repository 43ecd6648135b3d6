#pragma once

#include <QVariant>

namespace db {

// A column holds no value: NULL as read from the engine, or never set.
inline bool isEmptyValue(const QVariant &value) {
    return value.isNull() || !value.isValid();
}

// Two stored values are the same: both empty, or equal.
inline bool sameValue(const QVariant &a, const QVariant &b) {
    if (isEmptyValue(a) || isEmptyValue(b))
        return isEmptyValue(a) == isEmptyValue(b);
    return a == b;
}

} // namespace db
