#pragma once

#include "data/OpenDialog.h"

#include <QString>

#include <functional>

class QWidget;

namespace db {
class DataSet;
}

namespace data {

// Playing and picking the sounds of the current equipment row: the columns SoundFire and
// SoundHit hold a bare file name without ".WAV", looked up in the audio directory.
class WeaponSounds {
public:
    using Player = std::function<void(const QString &fileName)>;
    using ErrorNotice = std::function<void(const QString &text, QWidget *parent)>;

    // Plays through the program's sound player unless another player is given.
    explicit WeaponSounds(db::DataSet *dataSet, Player player = {});

    // The file-open dialog used for picking; the main window sets its initial folder.
    TOpenDialog &OpenDialog() { return m_openDialog; }

    // Plays the sound named by the column in the current row as it stands, in any state of
    // the dataset. A closed dataset has no row, and nothing is played.
    void playSound(const QString &column);

    // Lets the user choose a file and puts its name into the column. Refused with an
    // error notice unless the row is being edited or inserted.
    void pickSound(const QString &column, QWidget *parent = nullptr);

    // Replaces the error box (caption "Error", error icon, OK); tests record the texts.
    void setErrorNotice(ErrorNotice notice) { m_errorNotice = std::move(notice); }

    // The sound file of a sound name: the audio directory, the name and ".WAV", joined
    // without separator, as the game's path (not yet mapped to this file system).
    static QString soundPath(const QString &soundName);
    // The sound name stored for a chosen file: its name after the last "\", "/" or ":",
    // without a final ".WAV" in any letter case, at most maxLength characters (0: any).
    static QString soundName(const QString &chosenPath, int maxLength);

private:
    void showError(const QString &text, QWidget *parent) const;

    db::DataSet *m_dataSet;
    Player m_player;
    ErrorNotice m_errorNotice;
    TOpenDialog m_openDialog;
};

} // namespace data
