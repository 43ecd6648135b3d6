#include "platform/PathMapping.h"

#include <QDir>
#include <QFileInfo>

namespace platform {

namespace {

bool entryExists(const QString &path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// The entry of directory whose name equals name without regard to case; empty if none.
// Entries are compared in name order so that the choice among several is stable.
QString findIgnoringCase(const QString &directory, const QString &name) {
    const QStringList entries = QDir(directory).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return QString();
}

} // namespace

QString mapPath(const QString &path) {
    QString slashed = path;
    slashed.replace(u'\\', u'/');
    const QStringList components = slashed.split(u'/');

    QString result;
    bool parentExists = true; // once a component is missing, nothing below it can exist
    for (qsizetype i = 0; i < components.size(); ++i) {
        if (i > 0)
            result += u'/';
        QString component = components[i];
        const bool special = component.isEmpty() || component == u"." || component == u"..";
        if (parentExists && !special && !entryExists(result + component)) {
            const QString match =
                findIgnoringCase(result.isEmpty() ? QStringLiteral(".") : result, component);
            if (match.isEmpty())
                parentExists = false;
            else
                component = match;
        }
        result += component;
    }
    return result;
}

} // namespace platform
