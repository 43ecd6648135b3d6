#include "data/WeaponSounds.h"

#include "db/DataSet.h"
#include "platform/AudioDirectory.h"
#include "platform/PathMapping.h"
#include "platform/SoundPlayer.h"

#include <QMessageBox>

namespace data {

namespace {
const QString waveExtension = QStringLiteral(".WAV");
// Longest file name the platform hands back.
constexpr int maxFileName = 255;
} // namespace

WeaponSounds::WeaponSounds(db::DataSet *dataSet, Player player)
    : m_dataSet(dataSet), m_player(std::move(player)) {
    if (!m_player)
        m_player = [](const QString &fileName) {
            platform::SoundPlayer::instance().play(fileName);
        };
}

QString WeaponSounds::soundPath(const QString &soundName) {
    return platform::AudioDirectory() + soundName + waveExtension;
}

QString WeaponSounds::soundName(const QString &chosenPath, int maxLength) {
    qsizetype start = 0;
    for (const QChar separator : {u'\\', u'/', u':'})
        start = std::max(start, chosenPath.lastIndexOf(separator) + 1);
    QString name = chosenPath.sliced(start).left(maxFileName);
    if (name.size() >= waveExtension.size() &&
        name.right(waveExtension.size()).toUpper() == waveExtension)
        name.chop(waveExtension.size());
    return maxLength > 0 ? name.left(maxLength) : name;
}

void WeaponSounds::playSound(const QString &column) {
    if (!m_dataSet->active())
        return;
    const QString name = m_dataSet->fieldByName(column)->asString();
    m_player(platform::mapPath(soundPath(name)));
}

void WeaponSounds::pickSound(const QString &column, QWidget *parent) {
    if (!db::isEditing(m_dataSet->state())) {
        showError(QStringLiteral("Not in edit mode - can't select audio file!"), parent);
        return;
    }
    if (!m_openDialog.Execute(parent))
        return;
    db::Field *field = m_dataSet->fieldByName(column);
    field->setAsString(soundName(m_openDialog.FileName(), field->size()));
}

void WeaponSounds::showError(const QString &text, QWidget *parent) const {
    if (m_errorNotice) {
        m_errorNotice(text, parent);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace data
