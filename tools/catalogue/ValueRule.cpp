#include "ValueRule.h"

#include <cmath>
#include <limits>

namespace catalogue {

namespace {

// A value as the user reads it in a message: a long text is cut.
QString shown(const QString &text) {
    constexpr qsizetype longest = 24;
    return text.size() <= longest ? text : text.left(longest) + QStringLiteral("…");
}

bool isNumberType(const QVariant &value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

// Characters of a text as the engines count them (a pair of UTF-16 units is one).
qsizetype characterCount(const QString &text) {
    qsizetype count = text.size();
    for (const QChar c : text)
        if (c.isHighSurrogate())
            --count;
    return count;
}

} // namespace

bool ValueRule::convert(QVariant &value, QString *reason) const {
    if (value.isNull())
        return true;
    if (m_column.type != db::FieldType::String && value.typeId() == QMetaType::QString &&
        value.toString().trimmed().isEmpty()) {
        // An empty field of a number or yes/no column (also when quoted) holds nothing.
        value = QVariant();
        return true;
    }
    switch (m_column.type) {
    case db::FieldType::Integer:
    case db::FieldType::SmallInt:
        return toWhole(value, reason);
    case db::FieldType::Float:
        return toNumber(value, reason);
    case db::FieldType::Boolean:
        return toYesNo(value, reason);
    case db::FieldType::String:
        break;
    }
    return toText(value, reason);
}

bool ValueRule::toWhole(QVariant &value, QString *reason) const {
    const bool small = m_column.type == db::FieldType::SmallInt;
    const qlonglong lowest = small ? -32768 : std::numeric_limits<qint32>::min();
    const qlonglong highest = small ? 32767 : std::numeric_limits<qint32>::max();
    bool ok = false;
    qlonglong number = 0;
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float) {
        const double d = value.toDouble();
        ok = std::isfinite(d) && d == std::trunc(d) && std::abs(d) < 1e18;
        number = ok ? qlonglong(d) : 0;
    } else if (isNumberType(value)) {
        number = value.toLongLong(&ok);
    } else if (value.typeId() != QMetaType::Bool) {
        number = value.toString().trimmed().toLongLong(&ok);
    }
    if (!ok || number < lowest || number > highest) {
        *reason = QStringLiteral("'%1' is not a whole number from %2 to %3")
                      .arg(shown(value.toString()))
                      .arg(lowest)
                      .arg(highest);
        return false;
    }
    value = number;
    return true;
}

bool ValueRule::toNumber(QVariant &value, QString *reason) const {
    bool ok = false;
    const double number = isNumberType(value) ? value.toDouble(&ok)
                          : value.typeId() == QMetaType::Bool
                              ? 0.0
                              : value.toString().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(number)) {
        *reason = QStringLiteral("'%1' is not a finite number").arg(shown(value.toString()));
        return false;
    }
    value = number;
    return true;
}

bool ValueRule::toYesNo(QVariant &value, QString *reason) const {
    if (value.typeId() == QMetaType::Bool)
        return true;
    // The words the editor shows and a server reads, and the 1 and 0 the tool writes.
    static const QStringList yes{QStringLiteral("true"), QStringLiteral("1"), QStringLiteral("yes"),
                                 QStringLiteral("on"), QStringLiteral("t")};
    static const QStringList no{QStringLiteral("false"), QStringLiteral("0"), QStringLiteral("no"),
                                QStringLiteral("off"), QStringLiteral("f")};
    const QString word = value.toString().trimmed();
    if (yes.contains(word, Qt::CaseInsensitive)) {
        value = true;
        return true;
    }
    if (no.contains(word, Qt::CaseInsensitive)) {
        value = false;
        return true;
    }
    *reason = QStringLiteral("'%1' is not a yes/no value (true, false, 1, 0, yes, no, on, off)")
                  .arg(shown(value.toString()));
    return false;
}

bool ValueRule::toText(QVariant &value, QString *reason) const {
    if (value.typeId() == QMetaType::Bool)
        value = value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    else if (value.typeId() != QMetaType::QString)
        value = value.toString();
    const QString text = value.toString();
    if (text.contains(QChar(0))) {
        *reason = QStringLiteral("the text holds a NUL character, which the catalogue cannot "
                                 "store");
        return false;
    }
    if (m_column.size > 0 && text.size() > m_column.size) {
        const qsizetype characters = characterCount(text);
        if (characters > m_column.size) {
            *reason = QStringLiteral("'%1' has %2 characters; the column holds at most %3")
                          .arg(shown(text))
                          .arg(characters)
                          .arg(m_column.size);
            return false;
        }
    }
    return true;
}

} // namespace catalogue
