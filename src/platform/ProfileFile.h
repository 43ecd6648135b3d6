#pragma once

#include <QString>

namespace platform {

// A profile file (".INI") read and written key by key with the rules of the Win32
// profile-string functions, because the game opens the same file through them:
//
// - lines end at any run of CR/LF; each line is trimmed of blanks and control bytes;
//   blank lines are skipped; only lines starting with ";" are comments;
// - "[" opens a section whose name runs to the last "]" of the line;
// - other lines split at the first "="; a line without "=" is a key without value;
// - names match without regard to ASCII case; the first of duplicate sections and of
//   duplicate keys wins;
// - a NUL ends the section name, key name or value it stands in;
// - a value that starts and ends with the same quote character loses both quotes;
// - a value read is cut to the buffer size - 1 characters;
// - the names asked for are trimmed of blanks (and end at a NUL) before they are looked up.
//
// The file holds Windows-1252 bytes, unless it starts with a UTF-16LE or UTF-8 byte-order
// mark; then it is text in that encoding and stays so when it is written. Writing changes only the
// line of the key (or adds one), keeps every other byte, ends new lines in CR LF, and replaces the
// file through a temporary file beside it, so a write that fails leaves the file as it was.
class ProfileFile {
public:
    static constexpr int DefaultBufferSize = 1024;

    // fileName is a path of this file system (see mapPath for the game's paths).
    explicit ProfileFile(QString fileName) : m_fileName(std::move(fileName)) {}

    const QString &fileName() const { return m_fileName; }

    // The value of the key, or defaultValue when the file, the section, the key or its
    // value is missing. bufferSize counts the terminating zero of the caller's buffer.
    QString readString(const QString &section, const QString &key, const QString &defaultValue,
                       int bufferSize = DefaultBufferSize) const;

    // Sets the key's value, creating the file and the section as needed. Returns false
    // when the file cannot be read or written; the file is then unchanged.
    bool writeString(const QString &section, const QString &key, const QString &value) const;

private:
    QString m_fileName;
};

} // namespace platform
