#include "Csv.h"

#include <QStringDecoder>
#include <algorithm>

namespace catalogue {

namespace {

bool needsQuotes(QByteArrayView text) {
    if (text.isEmpty())
        return true; // an empty text, as opposed to NULL
    for (char c : text)
        if (c == ',' || c == '"' || c == '\r' || c == '\n')
            return true;
    return false;
}

QString decodeUtf8(const QByteArray &bytes, int line) {
    // Most fields are ASCII, which needs no decoder.
    if (std::all_of(bytes.begin(), bytes.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return QString::fromLatin1(bytes);
    // A U+FEFF at the start of a value is part of the value.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        throw CsvError(line, QStringLiteral("the text is not valid UTF-8"));
    return text;
}

} // namespace

bool CsvWriter::writeHeader(const QStringList &names) {
    QVariantList values;
    for (const QString &name : names)
        values << name;
    return writeRecord(values);
}

void appendCsvField(QByteArray *line, QByteArrayView text, bool onlyField) {
    // A lone \. would end the data of a COPY: quoted as PostgreSQL writes it.
    if (!needsQuotes(text) && !(onlyField && text == "\\.")) {
        line->append(text);
        return;
    }
    line->append('"');
    for (const char c : text) {
        if (c == '"')
            line->append('"');
        line->append(c);
    }
    line->append('"');
}

bool CsvWriter::writeRecord(const QVariantList &values) {
    m_line.clear();
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i > 0)
            m_line += ',';
        const QVariant &value = values.at(i);
        if (!value.isNull())
            appendCsvField(&m_line, value.toString().toUtf8(), values.size() == 1);
    }
    m_line += "\r\n";
    return m_device.write(m_line) == m_line.size();
}

bool CsvReader::fill() {
    if (m_atEnd)
        return false;
    m_buffer.remove(0, m_position);
    m_position = 0;
    const QByteArray more = m_device.read(1 << 16);
    if (more.isEmpty()) {
        m_atEnd = true;
        return false;
    }
    m_buffer += more;
    return true;
}

// The next byte, or -1 at the end of the input.
int CsvReader::next() {
    if (m_position >= m_buffer.size() && !fill())
        return -1;
    return static_cast<unsigned char>(m_buffer.at(m_position++));
}

// The next byte without taking it, or -1 at the end of the input.
int CsvReader::peek() {
    if (m_position >= m_buffer.size() && !fill())
        return -1;
    return static_cast<unsigned char>(m_buffer.at(m_position));
}

// Skips a byte order mark and finds the separator of the first line when asked to.
void CsvReader::start() {
    m_started = true;
    while (m_buffer.size() - m_position < (1 << 16) && fill()) {
        if (m_buffer.indexOf('\n', m_position) >= 0)
            break;
    }
    if (m_buffer.mid(m_position, 3) == QByteArrayLiteral("\xEF\xBB\xBF"))
        m_position += 3;
    if (m_separator != 0)
        return;
    qsizetype commas = 0;
    qsizetype semicolons = 0;
    bool inQuotes = false;
    for (qsizetype i = m_position; i < m_buffer.size(); ++i) {
        const char c = m_buffer.at(i);
        if (c == '"')
            inQuotes = !inQuotes;
        else if (!inQuotes && (c == '\n' || c == '\r'))
            break;
        else if (!inQuotes && c == ',')
            ++commas;
        else if (!inQuotes && c == ';')
            ++semicolons;
    }
    m_separator = semicolons > 0 && commas == 0 ? ';' : ',';
}

CsvError CsvReader::tooLong(int line, qsizetype field) const {
    return CsvError(line, QStringLiteral("field %1 is longer than any column holds (more than "
                                         "%2 bytes)")
                              .arg(field + 1)
                              .arg(m_fieldLimit));
}

bool CsvReader::readRecord(QVariantList *fields) {
    fields->clear();
    if (!m_started)
        start();
    int c = next();
    if (c < 0)
        return false;
    m_recordLine = m_line;
    // An empty line: one NULL field, or nothing when it is the last line of the input.
    if (c == '\n' || (c == '\r' && peek() == '\n')) {
        if (c == '\r')
            next();
        ++m_line;
        if (peek() < 0 && m_recordLine > 1)
            return false;
        fields->append(QVariant());
        return true;
    }
    const char separator = m_separator;
    QByteArray field;
    bool quoted = false;
    for (;;) {
        // At the start of a field.
        field.clear();
        quoted = c == '"';
        if (quoted) {
            const int openedOn = m_line;
            for (;;) {
                c = next();
                if (c < 0)
                    throw CsvError(openedOn, QStringLiteral("a quote opened on this line is not "
                                                            "closed"));
                if (c == '"') {
                    c = next();
                    if (c != '"')
                        break;
                } else if (c == '\n') {
                    ++m_line;
                }
                field += char(c);
                if (m_fieldLimit > 0 && field.size() > m_fieldLimit)
                    throw tooLong(openedOn, fields->size());
            }
            if (c >= 0 && c != separator && c != '\r' && c != '\n')
                throw CsvError(openedOn,
                               openedOn == m_line
                                   ? QStringLiteral("text follows a closing quote")
                                   : QStringLiteral("the quote opened on this line closes on "
                                                    "line %1, and text follows it")
                                         .arg(m_line));
        } else {
            while (c >= 0 && c != separator && c != '\r' && c != '\n') {
                if (c == '"')
                    throw CsvError(m_line,
                                   QStringLiteral("a quote inside a field that is not quoted"));
                field += char(c);
                if (m_fieldLimit > 0 && field.size() > m_fieldLimit)
                    throw tooLong(m_line, fields->size());
                c = next();
            }
        }
        if (quoted || !field.isEmpty())
            fields->append(decodeUtf8(field, m_line));
        else
            fields->append(QVariant());
        if (c == separator) {
            c = next();
            continue;
        }
        if (c == '\r') {
            c = next();
            if (c != '\n')
                throw CsvError(m_line, QStringLiteral("a carriage return without a line feed"));
        }
        if (c == '\n')
            ++m_line;
        return true;
    }
}

} // namespace catalogue
