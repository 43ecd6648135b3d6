#pragma once

#include "platform/Version.h"

#include <QString>

#include <functional>
#include <stdexcept>

namespace app {

// The configuration file shared with the game, as the game names it: one folder above the
// working directory, never made absolute.
inline const QString ConfigurationFileName = QStringLiteral("..\\Vantrel.INI");

using platform::versionText;

// A configuration file that cannot be written. The message names the file as the game
// names it ("Unable to write to ..\Vantrel.INI").
class ConfigurationError : public std::runtime_error {
public:
    explicit ConfigurationError(const QString &message)
        : std::runtime_error(message.toStdString()) {}
};

// Shows a warning notice and waits until it is closed. By default a modal message box
// captioned "Warning" with the warning icon and OK; tests record the texts instead. An
// empty function restores the box.
using WarningNotice = std::function<void(const QString &text)>;
void setWarningNotice(WarningNotice show);

// Reads the shared configuration at start-up: creates the file with the game's defaults
// (after a warning) when it is missing, warns when it belongs to another game version, and
// sets platform::AudioDirectory. Throws ConfigurationError when a new file cannot be
// written; AudioDirectory is then empty.
void ReadConfiguration();
void ReadConfiguration(const QString &fileName);

// Writes the game's default settings: [General] Version, [SpriteAmount] EffectSprites,
// MechSprites, GroundSprites, [Directories] Sprites, Audio, in this order.
void WriteDefaultConfiguration();
void WriteDefaultConfiguration(const QString &fileName);

} // namespace app
