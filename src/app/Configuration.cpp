#include "app/Configuration.h"

#include "platform/AudioDirectory.h"
#include "platform/PathMapping.h"
#include "platform/ProfileFile.h"

#include <QFileInfo>
#include <QMessageBox>

#include <algorithm>
#include <optional>

namespace app {

namespace {

const QString defaultSprites = QStringLiteral("..\\Sprites\\");
const QString defaultAudio = QStringLiteral("..\\Audio\\Default\\");
constexpr int defaultEffectSprites = 5;
constexpr int defaultMechSprites = 4;
constexpr int defaultGroundSprites = 16;

WarningNotice &warningNotice() {
    static WarningNotice instance;
    return instance;
}

void showWarning(const QString &text) {
    if (warningNotice()) {
        warningNotice()(text);
        return;
    }
    // The texts break lines with a lone carriage return, which a Qt label does not.
    QString shown = text;
    shown.replace(u'\r', u'\n');
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"), shown, QMessageBox::Ok);
    box.exec();
}

// Integer text as the game writes it: signed decimal, or hexadecimal after "$" or "0x".
std::optional<int> parseInteger(QString text) {
    if (text.size() > 2 && (text.startsWith(u"0x") || text.startsWith(u"0X")))
        text = u'$' + text.sliced(2);
    bool ok = false;
    if (text.startsWith(u'$')) {
        const QString digits = text.sliced(1);
        const bool hex = std::all_of(digits.begin(), digits.end(), [](QChar c) {
            return c.isDigit() || (c.toLower() >= u'a' && c.toLower() <= u'f');
        });
        // Up to eight digits, read as the 32 bits of a signed number ("$FFFFFFFF" is -1).
        const uint value = digits.toUInt(&ok, 16);
        if (hex && ok && digits.size() <= 8)
            return int(value);
        return std::nullopt;
    }
    const int value = text.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

int readInteger(const platform::ProfileFile &file, const QString &section, const QString &key,
                int defaultValue) {
    return parseInteger(file.readString(section, key, QString::number(defaultValue)))
        .value_or(defaultValue);
}

void writeString(const platform::ProfileFile &file, const QString &fileName, const QString &section,
                 const QString &key, const QString &value) {
    if (!file.writeString(section, key, value))
        throw ConfigurationError(QStringLiteral("Unable to write to %1").arg(fileName));
}

} // namespace

void setWarningNotice(WarningNotice show) {
    warningNotice() = std::move(show);
}

void ReadConfiguration() {
    ReadConfiguration(ConfigurationFileName);
}

void ReadConfiguration(const QString &fileName) {
    platform::setAudioDirectory(QString());
    const platform::ProfileFile file(platform::mapPath(fileName));

    if (!QFileInfo(file.fileName()).isFile()) {
        showWarning(fileName + QStringLiteral(" not found, default one created."));
        WriteDefaultConfiguration(fileName);
    }

    const QString version = file.readString("General", "Version", "0.0");
    if (version != versionText()) {
        showWarning(QStringLiteral("INI file version mismatch detected (INI file is version ") +
                    version + QStringLiteral(")!\rBetter have a look at ") + fileName);
    }

    // The game's own settings: read like the game reads them, used nowhere in the editor.
    readInteger(file, "SpriteAmount", "EffectSprites", defaultEffectSprites);
    readInteger(file, "SpriteAmount", "MechSprites", defaultMechSprites);
    readInteger(file, "SpriteAmount", "GroundSprites", defaultGroundSprites);
    file.readString("Directories", "Sprites", defaultSprites);

    platform::setAudioDirectory(file.readString("Directories", "Audio", defaultAudio));
}

void WriteDefaultConfiguration() {
    WriteDefaultConfiguration(ConfigurationFileName);
}

void WriteDefaultConfiguration(const QString &fileName) {
    const platform::ProfileFile file(platform::mapPath(fileName));
    writeString(file, fileName, "General", "Version", versionText());
    writeString(file, fileName, "SpriteAmount", "EffectSprites",
                QString::number(defaultEffectSprites));
    writeString(file, fileName, "SpriteAmount", "MechSprites", QString::number(defaultMechSprites));
    writeString(file, fileName, "SpriteAmount", "GroundSprites",
                QString::number(defaultGroundSprites));
    writeString(file, fileName, "Directories", "Sprites", defaultSprites);
    writeString(file, fileName, "Directories", "Audio", defaultAudio);
}

} // namespace app
