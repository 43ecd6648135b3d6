#include "db/Field.h"

#include "db/DataSet.h"
#include "db/DatabaseError.h"

#include <cmath>
#include <limits>

namespace db {

namespace {

QString formatG(double value) {
    return QString::asprintf("%g", value);
}

[[noreturn]] void throwMessage(const char *pattern, const QString &a, const QString &b = {}) {
    QString text = QString::fromLatin1(pattern).arg(a);
    if (!b.isNull())
        text = text.arg(b);
    throw DatabaseError(text);
}

} // namespace

Field::Field(DataSet *dataSet, int index, const QString &name, FieldType type, int size)
    : m_dataSet(dataSet), m_index(index), m_name(name), m_type(type), m_size(size) {}

bool Field::isNumeric() const {
    return m_type == FieldType::Integer || m_type == FieldType::SmallInt ||
           m_type == FieldType::Float;
}

QVariant Field::value() const {
    return m_dataSet->currentValue(m_index);
}

bool Field::isNull() const {
    const QVariant v = value();
    return v.isNull() || !v.isValid();
}

QString Field::asString() const {
    return displayText(value(), m_type);
}

QString Field::displayText(const QVariant &value, FieldType type) {
    if (value.isNull() || !value.isValid())
        return {};
    switch (type) {
    case FieldType::Float: {
        bool ok = false;
        const double d = value.toDouble(&ok);
        return ok ? QString::number(d, 'g', 15) : value.toString();
    }
    case FieldType::Boolean: {
        // A logical column may still hold text written by another program.
        if (value.typeId() == QMetaType::QString) {
            const QString text = value.toString();
            if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
                return QStringLiteral("True");
            if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
                return QStringLiteral("False");
            return text;
        }
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    }
    default:
        return value.toString();
    }
}

QVariant Field::convertText(const QString &text) const {
    if (text.isEmpty())
        return QVariant();
    switch (m_type) {
    case FieldType::Integer:
    case FieldType::SmallInt: {
        bool ok = false;
        const qlonglong number = text.trimmed().toLongLong(&ok);
        if (!ok || number < std::numeric_limits<qint32>::min() ||
            number > std::numeric_limits<qint32>::max())
            throwMessage(msg::invalidInteger, text, displayLabel());
        // The value as the user typed it: a rounded form such as 2.14748e+09 would not
        // be recognised.
        if (m_type == FieldType::SmallInt && (number < -32768 || number > 32767))
            throw DatabaseError(
                QString::fromLatin1(msg::outOfRange)
                    .arg(text.trimmed(), displayLabel(), formatG(-32768), formatG(32767)));
        return QVariant(number);
    }
    case FieldType::Float: {
        bool ok = false;
        const double number = text.trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(number))
            throwMessage(msg::invalidFloat, text, displayLabel());
        return QVariant(number);
    }
    case FieldType::Boolean: {
        const QString t = text.trimmed();
        if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return QVariant(true);
        if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return QVariant(false);
        throwMessage("'%1' is not a valid boolean value for field '%2'", text, displayLabel());
    }
    case FieldType::String:
        break;
    }
    // A NUL ends a text for a server and for the game; it cannot be stored.
    if (text.contains(QChar(0)))
        throwMessage(msg::unstorableCharacter, text, m_name);
    if (m_size <= 0 || text.size() <= m_size)
        return QVariant(text);
    // Cut between characters: a character made of two UTF-16 units is kept whole or dropped.
    qsizetype end = m_size;
    if (text.at(end - 1).isHighSurrogate())
        --end;
    return QVariant(text.left(end));
}

void Field::setAsString(const QString &text) {
    m_dataSet->setCurrentValue(m_index, convertText(text));
}

void Field::setValue(const QVariant &value) {
    if (value.isNull() || !value.isValid()) {
        clear();
        return;
    }
    if (m_type == FieldType::String) {
        setAsString(value.toString());
        return;
    }
    m_dataSet->setCurrentValue(m_index, value);
}

void Field::clear() {
    m_dataSet->setCurrentValue(m_index, QVariant());
}

YesNo Field::yesNo() const {
    const QVariant v = value();
    if (v.isNull() || !v.isValid())
        return YesNo::Grey;
    if (m_type == FieldType::Boolean && v.typeId() != QMetaType::QString)
        return v.toBool() ? YesNo::Yes : YesNo::No;
    const QString text = v.toString();
    if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return YesNo::Yes;
    if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return YesNo::No;
    return YesNo::Grey;
}

void Field::setYesNo(bool ticked) {
    if (m_type == FieldType::Boolean)
        m_dataSet->setCurrentValue(m_index, QVariant(ticked));
    else
        m_dataSet->setCurrentValue(m_index,
                                   ticked ? QStringLiteral("True") : QStringLiteral("False"));
}

} // namespace db
