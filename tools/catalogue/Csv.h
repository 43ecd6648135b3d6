#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QVariant>
#include <stdexcept>

namespace catalogue {

// A malformed CSV input; the message names the line.
class CsvError : public std::runtime_error {
public:
    CsvError(int line, const QString &reason)
        : std::runtime_error(reason.toStdString()), m_line(line), m_reason(reason) {}
    int line() const { return m_line; }
    QString message() const { return QStringLiteral("line %1: %2").arg(m_line).arg(m_reason); }

private:
    int m_line;
    QString m_reason;
};

// Appends one field of a record as CsvWriter writes it: quoted when it holds a separator,
// quote or line break, or is an empty text (an empty unquoted field is NULL); a record of
// one field "\." is quoted as well. `onlyField`: the record has no other field.
void appendCsvField(QByteArray *line, QByteArrayView text, bool onlyField);

// One record of RFC 4180 CSV in UTF-8. A NULL value is an empty unquoted field, an empty
// text an empty quoted field (""), so the two stay apart through a file.
class CsvWriter {
public:
    explicit CsvWriter(QIODevice &device) : m_device(device) {}
    // Writes one record; a null QVariant is written as NULL. Returns false on a write error.
    bool writeRecord(const QVariantList &values);
    bool writeHeader(const QStringList &names);

private:
    QIODevice &m_device;
    QByteArray m_line;
};

// Reads RFC 4180 records: fields separated by commas (or another separator), records by
// CRLF or LF, fields with separators, quotes or line breaks in double quotes, a quote inside
// written twice. A UTF-8 byte order mark before the first record and one empty line at the
// end, as spreadsheets write them, are no data.
class CsvReader {
public:
    // A separator of 0 is taken from the first line: ';' when it has semicolons and no
    // commas outside quotes (as spreadsheets write CSV where the comma is the decimal
    // separator), ',' otherwise.
    explicit CsvReader(QIODevice &device, char separator = ',')
        : m_device(device), m_separator(separator) {}
    // The next record, or false at the end of the input. Null entries are NULL values.
    // Throws CsvError for a malformed record or text that is not UTF-8.
    bool readRecord(QVariantList *fields);
    // The line on which the last record read began (1-based).
    int recordLine() const { return m_recordLine; }
    char separator() const { return m_separator; }
    // Refuses a field longer than this many bytes as soon as it is (0: no limit), so that a
    // huge field no column could hold is not read into memory whole.
    void setFieldLimit(qsizetype bytes) { m_fieldLimit = bytes; }

private:
    bool fill();
    int next();
    int peek();
    void start();
    CsvError tooLong(int line, qsizetype field) const;

    QIODevice &m_device;
    char m_separator;
    qsizetype m_fieldLimit = 0;
    bool m_started = false;
    QByteArray m_buffer;
    qsizetype m_position = 0;
    int m_line = 1;
    int m_recordLine = 0;
    bool m_atEnd = false;
};

} // namespace catalogue
