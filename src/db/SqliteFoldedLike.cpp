#include "db/SqliteFoldedLike.h"

#include "db/DatabaseError.h"

#include <QSqlDriver>
#include <QString>
#include <QStringDecoder>
#include <QVariant>
#include <sqlite3.h>
#include <string_view>
#include <vector>

namespace db {

namespace {

// A LIKE pattern read once per statement, its letters folded.
struct Pattern {
    enum class Kind { Letter, One, Any };
    struct Token {
        Kind kind;
        char32_t code;
    };
    std::vector<Token> tokens;
    // A pattern that ends in the escape character matches nothing (as the engine's LIKE).
    bool matchesNothing = false;
    // Set when the pattern is "%text%" (the search's own): the text, folded, that a value
    // must contain, in UTF-8 and UTF-16.
    bool contains = false;
    QByteArray needleUtf8;
    QString needle;
};

Pattern *parse(const QString &text, char32_t escape) {
    auto *pattern = new Pattern;
    auto &tokens = pattern->tokens;
    // The escape and the wildcards are found before folding, as the engine's LIKE does.
    const QList<uint> codes = text.toUcs4();
    for (qsizetype i = 0; i < codes.size(); ++i) {
        const char32_t code = codes[i];
        if (code == escape) {
            pattern->matchesNothing = i + 1 == codes.size();
            if (!pattern->matchesNothing)
                tokens.push_back({Pattern::Kind::Letter, QChar::toCaseFolded(codes[++i])});
        } else if (code == U'%') {
            tokens.push_back({Pattern::Kind::Any, 0});
        } else if (code == U'_') {
            tokens.push_back({Pattern::Kind::One, 0});
        } else {
            tokens.push_back({Pattern::Kind::Letter, QChar::toCaseFolded(code)});
        }
    }
    pattern->contains = tokens.size() >= 2 && tokens.front().kind == Pattern::Kind::Any &&
                        tokens.back().kind == Pattern::Kind::Any;
    for (std::size_t i = 1; pattern->contains && i + 1 < tokens.size(); ++i) {
        pattern->contains = tokens[i].kind == Pattern::Kind::Letter;
        pattern->needle += QString::fromUcs4(&tokens[i].code, 1);
    }
    pattern->needleUtf8 = pattern->needle.toUtf8();
    return pattern;
}

// LIKE's matching of code points: "%" any run, "_" any one; the last "%" is the only
// point to come back to.
bool matches(const std::vector<Pattern::Token> &pattern, const QList<uint> &text) {
    std::size_t p = 0;
    qsizetype t = 0;
    std::size_t anyAt = pattern.size();
    qsizetype anyFrom = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p].kind == Pattern::Kind::Any) {
            anyAt = p++;
            anyFrom = t;
        } else if (p < pattern.size() &&
                   (pattern[p].kind == Pattern::Kind::One || pattern[p].code == text[t])) {
            ++p;
            ++t;
        } else if (anyAt < pattern.size()) {
            p = anyAt + 1;
            t = ++anyFrom;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p].kind == Pattern::Kind::Any)
        ++p;
    return p == pattern.size();
}

// Folds text of at most `capacity` UTF-16 units into `buffer`, returning its length; -1
// when it does not fit or a letter's folding would change its length (none does today).
qsizetype foldInto(QChar *buffer, qsizetype capacity, const char *text, int size) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    if (decoder.requiredSpace(size) > capacity)
        return -1;
    const qsizetype length = decoder.appendToBuffer(buffer, QByteArrayView(text, size)) - buffer;
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t unit = buffer[i].unicode();
        if (unit < 0x80) { // the ASCII letters between the others
            if (unit >= u'A' && unit <= u'Z')
                buffer[i] = QChar(unit + (u'a' - u'A'));
            continue;
        }
        const bool pair =
            buffer[i].isHighSurrogate() && i + 1 < length && buffer[i + 1].isLowSurrogate();
        const char32_t code =
            pair ? QChar::surrogateToUcs4(buffer[i], buffer[i + 1]) : char32_t(buffer[i].unicode());
        const char32_t folded = QChar::toCaseFolded(code);
        if (QChar::requiresSurrogates(folded) != pair)
            return -1;
        if (pair) {
            buffer[i] = QChar(QChar::highSurrogate(folded));
            buffer[++i] = QChar(QChar::lowSurrogate(folded));
        } else {
            buffer[i] = QChar(folded);
        }
    }
    return length;
}

// Most names are short: folded on the stack, ASCII byte by byte.
bool containsFolded(const Pattern &pattern, const char *text, int size) {
    constexpr int capacity = 256;
    char ascii[capacity];
    bool isAscii = size <= capacity;
    for (int i = 0; i < size && isAscii; ++i) {
        const char c = text[i];
        isAscii = static_cast<unsigned char>(c) < 0x80;
        ascii[i] = c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
    }
    if (isAscii)
        return std::string_view(ascii, std::size_t(size))
                   .find(std::string_view(pattern.needleUtf8.constData(),
                                          std::size_t(pattern.needleUtf8.size()))) !=
               std::string_view::npos;
    QChar folded[capacity];
    const qsizetype length = foldInto(folded, capacity, text, size);
    if (length >= 0)
        return QStringView(folded, length).contains(pattern.needle);
    return QString::fromUtf8(text, size).toCaseFolded().contains(pattern.needle);
}

void foldedLike(sqlite3_context *context, int, sqlite3_value **arguments) {
    for (int i = 0; i < 3; ++i) {
        if (sqlite3_value_type(arguments[i]) == SQLITE_NULL) {
            sqlite3_result_null(context);
            return;
        }
    }
    auto *pattern = static_cast<Pattern *>(sqlite3_get_auxdata(context, 0));
    if (!pattern) {
        const QString escape =
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(arguments[2])),
                              sqlite3_value_bytes(arguments[2]));
        const QList<uint> escapeCodes = escape.toUcs4();
        if (escapeCodes.size() != 1) {
            sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
            return;
        }
        pattern = parse(
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(arguments[0])),
                              sqlite3_value_bytes(arguments[0])),
            escapeCodes.front());
        // Kept while the pattern stays the same (a bound parameter does for a whole run);
        // the escape character is taken to stay the same with it.
        sqlite3_set_auxdata(context, 0, pattern,
                            [](void *data) { delete static_cast<Pattern *>(data); });
        pattern = static_cast<Pattern *>(sqlite3_get_auxdata(context, 0));
        if (!pattern) {
            sqlite3_result_error_nomem(context);
            return;
        }
    }
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(arguments[1]));
    const int size = sqlite3_value_bytes(arguments[1]);
    const bool match =
        !pattern->matchesNothing &&
        (pattern->contains
             ? containsFolded(*pattern, text, size)
             : matches(pattern->tokens, QString::fromUtf8(text, size).toCaseFolded().toUcs4()));
    sqlite3_result_int(context, match ? 1 : 0);
}

} // namespace

void registerFoldedLike(QSqlDatabase &db) {
    const QVariant handle = db.driver()->handle();
    sqlite3 *connection = nullptr;
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        connection = *static_cast<sqlite3 *const *>(handle.constData());
    if (!connection)
        throw DatabaseError(QStringLiteral("Cannot prepare the case-blind search: the "
                                           "connection is not an open SQLite database"));
    // Deterministic (one result for the same arguments) and innocuous (no side effects), so
    // the engine may allow it anywhere.
    const int code = sqlite3_create_function_v2(
        connection, "casefold_like", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
        nullptr, foldedLike, nullptr, nullptr, nullptr);
    if (code != SQLITE_OK)
        throw DatabaseError(QStringLiteral("Cannot prepare the case-blind search: %1")
                                .arg(QString::fromUtf8(sqlite3_errstr(code))));
}

} // namespace db
