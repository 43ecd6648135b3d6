#include "data/WeaponSounds.h"
#include "db/DataSet.h"
#include "platform/AudioDirectory.h"
#include "support/TempCatalogue.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QTest>
#include <QTimer>
#include <QTreeView>

using data::WeaponSounds;

// Layout: <tmp>/Audio/Default/Laser.wav and the working directory <tmp>/work, the audio
// directory "..\audio\DEFAULT\" as the configuration might spell it.
class TestWeaponSounds : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempCatalogue> m_catalogue;
    std::unique_ptr<db::DataSet> m_set;
    std::unique_ptr<WeaponSounds> m_sounds;
    QStringList m_played;
    QStringList m_errors;
    int m_dialogRuns = 0;
    std::optional<QString> m_choice;
    QString m_startDir;

    QString root() const { return m_catalogue->dir(); }

    void putInState(const QString &state) {
        if (state == "edit")
            m_set->edit();
        else if (state == "insert")
            m_set->insert();
        else if (state == "closed")
            m_set->close();
    }

private slots:
    void initTestCase() { m_startDir = QDir::currentPath(); }

    void init() {
        m_catalogue = std::make_unique<TempCatalogue>();
        QVERIFY(m_catalogue->exec(
            {"CREATE TABLE Equipment (Number INTEGER PRIMARY KEY, Name VARCHAR(40), "
             "SoundFire VARCHAR(12), SoundHit VARCHAR(12))",
             "INSERT INTO Equipment (Name, SoundFire, SoundHit) VALUES ('Laser', 'laser', '')"}));
        QVERIFY(QDir(root()).mkpath("Audio/Default"));
        QVERIFY(QDir(root()).mkpath("work"));
        QFile wav(root() + "/Audio/Default/Laser.wav");
        QVERIFY(wav.open(QIODevice::WriteOnly));
        wav.close();
        QVERIFY(QDir::setCurrent(root() + "/work"));
        platform::setAudioDirectory("..\\audio\\DEFAULT\\");

        m_set = std::make_unique<db::DataSet>(m_catalogue->alias());
        m_set->setSql({"SELECT * FROM Equipment"});
        m_set->open();
        m_played.clear();
        m_errors.clear();
        m_dialogRuns = 0;
        m_choice.reset();
        m_sounds = std::make_unique<WeaponSounds>(
            m_set.get(), [this](const QString &fileName) { m_played << fileName; });
        m_sounds->setErrorNotice([this](const QString &text, QWidget *) { m_errors << text; });
        m_sounds->OpenDialog().setInitialDir(platform::AudioDirectory());
        m_sounds->OpenDialog().setRunner([this](const data::TOpenDialog &, QWidget *) {
            ++m_dialogRuns;
            QDir::setCurrent(root()); // a dialog that moves the working directory
            return m_choice;
        });
    }

    void cleanup() {
        m_sounds.reset();
        m_set.reset();
        m_catalogue.reset();
        QDir::setCurrent(m_startDir);
    }

    void soundName_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<int>("maxLength");
        QTest::addColumn<QString>("expected");
        QTest::newRow("lower-case extension") << "/snd/laser.wav" << 12 << "laser";
        QTest::newRow("mixed case kept in name") << "/snd/Laser.Wav" << 12 << "Laser";
        QTest::newRow("other extension kept") << "/snd/boom.mp3" << 12 << "boom.mp3";
        QTest::newRow("only the extension") << "/snd/.WAV" << 12 << "";
        QTest::newRow("only the last extension") << "/snd/x.wav.wav" << 12 << "x.wav";
        QTest::newRow("three characters") << "/snd/wav" << 12 << "wav";
        QTest::newRow("backslash path") << "C:\\Sounds\\GAUSS.WAV" << 12 << "GAUSS";
        QTest::newRow("drive without folder") << "D:gauss.wav" << 12 << "gauss";
        QTest::newRow("cut to column length")
            << "/snd/Autocannon-burst.wav" << 12 << "Autocannon-b";
        QTest::newRow("cut after the extension is removed")
            << "/snd/abcdefghijkl.wav" << 12 << "abcdefghijkl";
        QTest::newRow("no column limit") << "/snd/Autocannon-burst.wav" << 0 << "Autocannon-burst";
    }

    void soundName() {
        QFETCH(QString, chosen);
        QFETCH(int, maxLength);
        QFETCH(QString, expected);
        QCOMPARE(WeaponSounds::soundName(chosen, maxLength), expected);
    }

    void play_data() {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("value"); // typed into the row, not posted; null: as stored
        QTest::addColumn<QString>("audioDirectory");
        QTest::addColumn<QString>("played");
        const QString audio = "..\\audio\\DEFAULT\\";
        QTest::newRow("browse") << "browse"
                                << "SoundFire" << QString() << audio
                                << "../Audio/Default/Laser.wav";
        QTest::newRow("empty name") << "browse"
                                    << "SoundHit" << QString() << audio << "../Audio/Default/.WAV";
        QTest::newRow("value being edited") << "edit"
                                            << "SoundHit"
                                            << "LASER" << audio << "../Audio/Default/Laser.wav";
        QTest::newRow("other extension") << "edit"
                                         << "SoundFire"
                                         << "boom.mp3" << audio << "../Audio/Default/boom.mp3.WAV";
        QTest::newRow("new row") << "insert"
                                 << "SoundFire" << QString() << audio << "../Audio/Default/.WAV";
        QTest::newRow("audio directory without separator")
            << "browse"
            << "SoundFire" << QString() << "..\\Audio\\Default"
            << "../Audio/Defaultlaser.WAV";
    }

    void play() {
        QFETCH(QString, state);
        QFETCH(QString, column);
        QFETCH(QString, value);
        QFETCH(QString, audioDirectory);
        QFETCH(QString, played);
        platform::setAudioDirectory(audioDirectory);
        putInState(state);
        if (!value.isNull())
            m_set->fieldByName(column)->setAsString(value);
        m_sounds->playSound(column);
        QCOMPARE(m_played, QStringList{played});
    }

    void playWithClosedQueryPlaysNothing() {
        m_set->close();
        m_sounds->playSound("SoundFire");
        QVERIFY(m_played.isEmpty());
        QVERIFY(m_errors.isEmpty());
    }

    void pickOutsideEditing_data() {
        QTest::addColumn<QString>("state");
        QTest::newRow("browse") << "browse";
        QTest::newRow("closed") << "closed";
    }

    void pickOutsideEditing() {
        QFETCH(QString, state);
        putInState(state);
        m_choice = "/snd/boom.wav";
        m_sounds->pickSound("SoundHit");
        QCOMPARE(m_errors, QStringList{"Not in edit mode - can't select audio file!"});
        QCOMPARE(m_dialogRuns, 0);
        if (m_set->active())
            QCOMPARE(m_set->fieldByName("SoundHit")->asString(), QString());
    }

    void pickStoresTheName_data() {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("stored");
        QTest::newRow("edit") << "edit"
                              << "/elsewhere/Gauss.Wav"
                              << "Gauss";
        QTest::newRow("insert") << "insert"
                                << "/snd/laser.wav"
                                << "laser";
        QTest::newRow("cut to the column") << "edit"
                                           << "/snd/Autocannon-burst.WAV"
                                           << "Autocannon-b";
        QTest::newRow("nothing but the extension") << "edit"
                                                   << "/snd/.wav"
                                                   << "";
    }

    void pickStoresTheName() {
        QFETCH(QString, state);
        QFETCH(QString, chosen);
        QFETCH(QString, stored);
        putInState(state);
        const QString workingDirectory = QDir::currentPath();
        m_choice = chosen;
        m_sounds->pickSound("SoundFire");
        QCOMPARE(m_dialogRuns, 1);
        QCOMPARE(m_set->fieldByName("SoundFire")->asString(), stored);
        QCOMPARE(m_set->state(),
                 state == "edit" ? db::DataSetState::Edit : db::DataSetState::Insert);
        QCOMPARE(QDir::currentPath(), workingDirectory);
        QVERIFY(m_errors.isEmpty());
    }

    // Once the folder is read, the size, type and date columns of the desktop dialog are as
    // wide as what they show, and the names keep the rest.
    void desktopDialogColumnsFitTheirContent() {
        m_sounds->OpenDialog().setRunner({});
        m_set->edit();
        QStringList cut;
        bool loaded = false;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            auto *view = dialog->findChild<QTreeView *>("treeView");
            loaded = view && QTest::qWaitFor([view] {
                         return view->model()->rowCount(view->rootIndex()) > 0 &&
                                view->columnWidth(0) >= view->header()->sectionSizeHint(0);
                     });
            QTest::qWait(100);
            for (int column = 0; loaded && column < view->header()->count(); ++column) {
                const int needed =
                    std::max(static_cast<QAbstractItemView *>(view)->sizeHintForColumn(column),
                             view->header()->sectionSizeHint(column));
                if (view->columnWidth(column) < needed)
                    cut << QString("column %1: %2 of %3")
                               .arg(column)
                               .arg(view->columnWidth(column))
                               .arg(needed);
            }
            if (!qEnvironmentVariableIsEmpty("KORVANDEL_SHOTS"))
                dialog->grab().save(qEnvironmentVariable("KORVANDEL_SHOTS") + "/columns.png");
            dialog->reject();
        });
        m_sounds->pickSound("SoundFire");
        QVERIFY(loaded);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join("; ")));
    }

    void cancelledPickChangesNothing() {
        m_set->edit();
        m_sounds->pickSound("SoundFire");
        QCOMPARE(m_dialogRuns, 1);
        QCOMPARE(m_set->fieldByName("SoundFire")->asString(), "laser");
        QVERIFY(!m_set->modified());
    }

    // The desktop dialog itself: its settings, its start folder, and the last file chosen
    // offered again. The file is chosen by the program, not by clicks.
    void desktopDialog() {
        m_sounds->OpenDialog().setRunner({});
        m_set->edit();
        QStringList titles, filters, directories;
        auto chooseWhenShown = [&](const QString &name) {
            QTimer::singleShot(0, [&, name] {
                auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
                if (!dialog)
                    return;
                titles << dialog->windowTitle();
                filters << dialog->nameFilters().join('|') + '|' + dialog->selectedNameFilter() +
                               '|' + dialog->defaultSuffix();
                directories << dialog->directory().absolutePath();
                if (!qEnvironmentVariableIsEmpty("KORVANDEL_SHOTS"))
                    dialog->grab().save(qEnvironmentVariable("KORVANDEL_SHOTS") +
                                        QString("/open%1.png").arg(titles.size()));
                if (name.isEmpty()) {
                    dialog->reject();
                    return;
                }
                dialog->selectFile(name);
                QMetaObject::invokeMethod(dialog, "accept");
            });
        };
        const QString audioDir = QDir(root() + "/Audio/Default").absolutePath();
        chooseWhenShown(audioDir + "/Laser.wav");
        m_sounds->pickSound("SoundFire");
        QCOMPARE(m_set->fieldByName("SoundFire")->asString(), "Laser");

        QVERIFY(QDir(root()).mkpath("Other"));
        QFile other(root() + "/Other/Boom.WAV");
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.close();
        chooseWhenShown(root() + "/Other/Boom.WAV");
        m_sounds->pickSound("SoundHit");
        QCOMPARE(m_set->fieldByName("SoundHit")->asString(), "Boom");
        QCOMPARE(m_sounds->OpenDialog().FileName(), root() + "/Other/Boom.WAV");

        chooseWhenShown(QString()); // opens where the last file was chosen; cancelled
        m_sounds->pickSound("SoundHit");
        QCOMPARE(m_set->fieldByName("SoundHit")->asString(), "Boom");

        QCOMPARE(titles, QStringList(3, "Choose the audio file:"));
        QCOMPARE(filters.value(0), "Audio Files (*.WAV)|All files (*.*)|Audio Files (*.WAV)|WAV");
        QCOMPARE(directories.value(0), audioDir);
        QCOMPARE(directories.value(2), QDir(root() + "/Other").absolutePath());
        QCOMPARE(QDir::currentPath(), QDir(root() + "/work").absolutePath());
    }
};

QTEST_MAIN(TestWeaponSounds)
#include "tst_weaponsounds.moc"
