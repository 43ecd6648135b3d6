#pragma once

#include <QString>
#include <QVariant>

namespace db {

class DataSet;

enum class FieldType { String, Integer, SmallInt, Float, Boolean };

// Three states a yes/no column can show: ticked, clear, or grey for anything else.
enum class YesNo { No, Yes, Grey };

// One column of a dataset's result, reading and writing the current row.
// Fields are owned by their dataset and are rebuilt at every open: a control keeps the
// column name and looks the field up again when the dataset becomes active.
class Field {
public:
    Field(DataSet *dataSet, int index, const QString &name, FieldType type, int size);

    DataSet *dataSet() const { return m_dataSet; }
    int index() const { return m_index; }
    const QString &fieldName() const { return m_name; }
    // The name that messages give the column: the caption the user sees it under, set by
    // the program (the dataset knows none); the column name until then.
    const QString &displayLabel() const { return m_label.isEmpty() ? m_name : m_label; }
    void setDisplayLabel(const QString &label) { m_label = label; }
    FieldType dataType() const { return m_type; }
    // Declared length of a text column (0: no limit). Longer text is cut on store.
    int size() const { return m_size; }
    bool isNumeric() const;

    // Value of the current row (or of the row being edited); null when empty.
    QVariant value() const;
    bool isNull() const;
    // Display text of the current row: empty for null, "True"/"False" for logical columns,
    // up to 15 significant digits for floating point.
    QString asString() const;
    // Converts the text to the column's type and stores it. Empty text stores null.
    // Throws DatabaseError with the conversion messages, or when the dataset is not editing.
    void setAsString(const QString &text);
    void setValue(const QVariant &value);
    void clear();

    // Yes/no reading: a logical column is true/false; any other column holds the texts
    // "True"/"False" (any letter case). Empty and anything else read as grey.
    YesNo yesNo() const;
    // Stores true/false in a logical column, "True"/"False" in any other.
    void setYesNo(bool ticked);

    // Text form of a stored value of a column of the given type.
    static QString displayText(const QVariant &value, FieldType type);
    // The value that text converts to for this column; throws the conversion messages.
    QVariant convertText(const QString &text) const;

private:
    DataSet *m_dataSet;
    int m_index;
    QString m_name;
    QString m_label;
    FieldType m_type;
    int m_size;
};

} // namespace db
