#include "platform/ProfileFile.h"

#include "platform/Windows1252.h"

#include <QFile>
#include <QSaveFile>

#include <optional>
#include <vector>

namespace platform {

namespace {

const QLatin1StringView lineBreak("\r\n");

bool isBlank(QChar c) {
    return c.unicode() <= 0x20;
}
bool isLineEnd(QChar c) {
    return c == u'\r' || c == u'\n';
}

QStringView trimmed(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

// Section and key names compare in ASCII case only, whatever the characters above 0x7F.
bool sameName(QStringView a, QStringView b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode();
        char16_t y = b[i].unicode();
        if (x >= u'a' && x <= u'z')
            x -= 0x20;
        if (y >= u'a' && y <= u'z')
            y -= 0x20;
        if (x != y)
            return false;
    }
    return true;
}

struct Key {
    QString name;
    std::optional<QString> value; // none: the line has no "="
    qsizetype nameBegin;          // first character of the name in the text
    qsizetype contentEnd;         // end of the line before its line break
};

struct Section {
    QString name;
    qsizetype contentEnd; // end of the header line; -1 for the lines before any header
    std::vector<Key> keys;
};

// The structure of a profile text, with the positions needed to edit it in place.
class ProfileText {
public:
    explicit ProfileText(const QString &text) : m_text(text) {
        // Lines before the first header belong to a section without a name.
        m_sections.push_back({QString(), -1, {}});
        qsizetype pos = 0;
        while (pos < m_text.size()) {
            qsizetype end = pos;
            while (end < m_text.size() && !isLineEnd(m_text[end]))
                ++end;
            parseLine(pos, end);
            pos = end;
            while (pos < m_text.size() && isLineEnd(m_text[pos]))
                ++pos;
        }
    }

    const Section *findSection(QStringView name) const {
        for (const Section &section : m_sections) {
            if (sameName(section.name, name))
                return &section;
        }
        return nullptr;
    }

    static const Key *findKey(const Section &section, QStringView name) {
        for (const Key &key : section.keys) {
            if (sameName(key.name, name))
                return &key;
        }
        return nullptr;
    }

    // The text with the key set to value.
    QString withValue(const QString &sectionName, const QString &keyName,
                      const QString &value) const {
        QString text = m_text;
        const Section *section = findSection(sectionName);
        if (!section) {
            // A new section goes at the end, after a blank line when the file has content.
            if (!text.isEmpty() && !isLineEnd(text.back()))
                text += lineBreak;
            if (!text.isEmpty())
                text += lineBreak;
            return text + u'[' + sectionName + u']' + lineBreak + keyName + u'=' + value +
                   lineBreak;
        }
        if (const Key *key = findKey(*section, keyName)) {
            const QString line = key->name + u'=' + value;
            return text.replace(key->nameBegin, key->contentEnd - key->nameBegin, line);
        }
        // A new key goes on the line after the last key of its section (or its header).
        const qsizetype after =
            section->keys.empty() ? section->contentEnd : section->keys.back().contentEnd;
        const QString line = keyName + u'=' + value + lineBreak;
        if (after < 0)
            return text.prepend(line);
        if (after == text.size())
            return text + (text.isEmpty() ? QString() : QString(lineBreak)) + line;
        return text.insert(afterLineBreak(after), line);
    }

private:
    void parseLine(qsizetype begin, qsizetype end) {
        const QStringView raw = QStringView(m_text).sliced(begin, end - begin);
        const QStringView line = trimmed(raw);
        if (line.isEmpty() || line.startsWith(u';'))
            return;
        if (line.startsWith(u'[')) {
            const qsizetype close = line.lastIndexOf(u']');
            if (close > 0) {
                m_sections.push_back({trimmed(line.sliced(1, close - 1)).toString(), end, {}});
                return;
            }
            // A bracket that is never closed makes an ordinary key line.
        }
        const qsizetype nameBegin = begin + (line.data() - raw.data());
        Key key{QString(), std::nullopt, nameBegin, end};
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0) {
            key.name = line.toString();
        } else {
            key.name = trimmed(line.first(equals)).toString();
            key.value = trimmed(line.sliced(equals + 1)).toString();
        }
        m_sections.back().keys.push_back(std::move(key));
    }

    // Position after the line break that follows position pos (CR LF, LF or CR).
    qsizetype afterLineBreak(qsizetype pos) const {
        if (m_text[pos] == u'\r' && pos + 1 < m_text.size() && m_text[pos + 1] == u'\n')
            return pos + 2;
        return pos + 1;
    }

    QString m_text;
    std::vector<Section> m_sections;
};

// The file's text, empty when it does not exist, none when it exists but cannot be read.
std::optional<QString> readText(const QString &fileName) {
    QFile file(fileName);
    if (!file.exists())
        return QString();
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return fromWindows1252(file.readAll());
}

QString unquoted(const QString &value) {
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

} // namespace

QString ProfileFile::readString(const QString &section, const QString &key,
                                const QString &defaultValue, int bufferSize) const {
    if (bufferSize <= 0)
        return QString();
    QString result = defaultValue;
    if (const std::optional<QString> text = readText(m_fileName)) {
        const ProfileText profile(*text);
        if (const Section *found = profile.findSection(section)) {
            const Key *entry = ProfileText::findKey(*found, key);
            if (entry && entry->value)
                result = unquoted(*entry->value);
        }
    }
    return result.left(bufferSize - 1);
}

bool ProfileFile::writeString(const QString &section, const QString &key,
                              const QString &value) const {
    const std::optional<QString> text = readText(m_fileName);
    if (!text)
        return false;
    const QString changed = ProfileText(*text).withValue(section, key, value);
    if (changed == *text && QFile::exists(m_fileName))
        return true;
    QSaveFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = toWindows1252(changed);
    if (file.write(bytes) != bytes.size())
        return false;
    return file.commit();
}

} // namespace platform
