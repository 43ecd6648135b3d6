#include "platform/ProfileFile.h"

#include "platform/Windows1252.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

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

// A NUL ends a name or value, as it ends the C strings the game's profile functions use.
QStringView upToNul(QStringView text) {
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.first(nul);
}

// A section name, key name or value as it counts: up to a NUL, without blanks around it.
QStringView effective(QStringView text) {
    return trimmed(upToNul(text));
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
                m_sections.push_back({effective(line.sliced(1, close - 1)).toString(), end, {}});
                return;
            }
            // A bracket that is never closed makes an ordinary key line.
        }
        const qsizetype nameBegin = begin + (line.data() - raw.data());
        Key key{QString(), std::nullopt, nameBegin, end};
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0) {
            key.name = effective(line).toString();
        } else {
            key.name = effective(line.first(equals)).toString();
            key.value = effective(line.sliced(equals + 1)).toString();
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

// How a profile file stores its text. Files written by the game's tools are in the
// single-byte code page; the profile functions also read files that start with a UTF-16LE
// or UTF-8 byte-order mark, and a file keeps its encoding when a key is written into it.
enum class Encoding { Windows1252, Utf8, Utf16LE };

struct FileText {
    QString text;
    Encoding encoding = Encoding::Windows1252;
};

const QByteArray utf8Mark("\xEF\xBB\xBF");
const QByteArray utf16LEMark("\xFF\xFE");

FileText decode(const QByteArray &bytes) {
    if (bytes.startsWith(utf16LEMark)) {
        QStringDecoder decoder(QStringDecoder::Utf16LE);
        return {decoder.decode(bytes.sliced(utf16LEMark.size())), Encoding::Utf16LE};
    }
    if (bytes.startsWith(utf8Mark))
        return {QString::fromUtf8(bytes.sliced(utf8Mark.size())), Encoding::Utf8};
    return {fromWindows1252(bytes), Encoding::Windows1252};
}

QByteArray encode(const QString &text, Encoding encoding) {
    switch (encoding) {
    case Encoding::Utf16LE: {
        QStringEncoder encoder(QStringEncoder::Utf16LE);
        return utf16LEMark + QByteArray(encoder.encode(text));
    }
    case Encoding::Utf8:
        return utf8Mark + text.toUtf8();
    case Encoding::Windows1252:
        break;
    }
    return toWindows1252(text);
}

// The file's text, empty when it does not exist, none when it exists but cannot be read.
std::optional<FileText> readText(const QString &fileName) {
    QFile file(fileName);
    if (!file.exists())
        return FileText();
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return decode(file.readAll());
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
    if (const std::optional<FileText> file = readText(m_fileName)) {
        const ProfileText profile(file->text);
        if (const Section *found = profile.findSection(effective(section))) {
            const Key *entry = ProfileText::findKey(*found, effective(key));
            if (entry && entry->value)
                result = unquoted(*entry->value);
        }
    }
    return result.left(bufferSize - 1);
}

bool ProfileFile::writeString(const QString &section, const QString &key,
                              const QString &value) const {
    const std::optional<FileText> current = readText(m_fileName);
    if (!current)
        return false;
    const QString changed = ProfileText(current->text)
                                .withValue(effective(section).toString(), effective(key).toString(),
                                           upToNul(value).toString());
    if (changed == current->text && QFile::exists(m_fileName))
        return true;
    QSaveFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = encode(changed, current->encoding);
    if (file.write(bytes) != bytes.size())
        return false;
    return file.commit();
}

} // namespace platform
