// The posting side of the kill test (bench/kill-posts.sh): opens the catalogue of the given
// file through the editor's dataset, shows the sound file dialog on the catalogue's folder
// once, then posts for ever: Edit a random row, wait a little (another program writes the
// same rows meanwhile), set Note to "p<seq>", Post; now and then insert a row (Name
// "new<seq>") or delete one it inserted. Every write keeps its history row in the same
// transaction. Each outcome is printed and flushed:
//   ack <key> <seq> <note read at Edit>     the Post returned: the row is stored
//   inserted <key> <seq>                     the insert returned: the row is stored
//   deleted <key> <seq>                      the Delete returned: the row is gone
//   conflict <key> <seq>                     Post refused: another program changed Note
//   failed <key> <seq> <message>             any other refusal
// Sequence numbers start at SEED * 1000000 + 1, so that runs never repeat a note.
//   kill_poster FILE SEED
#include "data/EquipmentHistory.h"
#include "data/OpenDialog.h"
#include "db/AliasRegistry.h"
#include "db/DataSet.h"
#include "db/DatabaseError.h"

#include <QApplication>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <random>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: kill_poster FILE SEED\n");
        return 2;
    }
    const QString file = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    std::mt19937 random(unsigned(std::atoi(argv[2])));
    QTemporaryDir config;
    QSettings settings(config.filePath(QStringLiteral("databases.ini")), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Kill/Driver"), QStringLiteral("SQLITE"));
    settings.setValue(QStringLiteral("Kill/Path"), file);
    settings.sync();
    db::AliasRegistry::setConfigFile(settings.fileName());

    db::DataSet set(QStringLiteral("Kill"));
    set.setSql({QStringLiteral("SELECT * FROM Items")});
    set.setChangeRecorder(data::historyRecorder());
    set.open();

    // The dialog lists the catalogue's folder, as the editor's sound dialog does.
    data::TOpenDialog dialog;
    dialog.setInitialDir(QFileInfo(file).absolutePath());
    QTimer::singleShot(300, [] {
        if (QWidget *shown = QApplication::activeModalWidget())
            shown->close();
    });
    dialog.Execute();

    const long firstSeq = std::atol(argv[2]) * 1000000L + 1;
    for (long seq = firstSeq;; ++seq) {
        const int row = int(random() % unsigned(set.recordCount()));
        QString key;
        try {
            set.setRecNo(row);
            key = set.bookmark().toString();
            const unsigned choice = random() % 10;
            if (choice == 0) {
                set.insert();
                set.fieldByName(QStringLiteral("Name"))
                    ->setAsString(QStringLiteral("new%1").arg(seq));
                set.fieldByName(QStringLiteral("Note"))
                    ->setAsString(QStringLiteral("p%1").arg(seq));
                set.post();
                std::printf("inserted %s %ld\n", qPrintable(set.bookmark().toString()), seq);
                std::fflush(stdout);
                continue;
            }
            if (choice == 1 && set.fieldByName(QStringLiteral("Name"))
                                   ->asString()
                                   .startsWith(QLatin1String("new"))) {
                set.deleteRecord();
                std::printf("deleted %s %ld\n", qPrintable(key), seq);
                std::fflush(stdout);
                continue;
            }
            set.edit();
            const QString read = set.fieldByName(QStringLiteral("Note"))->asString();
            QThread::usleep(random() % 20000);
            set.fieldByName(QStringLiteral("Note"))->setAsString(QStringLiteral("p%1").arg(seq));
            set.post();
            std::printf("ack %s %ld %s\n", qPrintable(key), seq, qPrintable(read));
        } catch (const db::DatabaseError &error) {
            const bool conflict = error.message().contains(QLatin1String("changed this row"));
            if (conflict)
                std::printf("conflict %s %ld\n", qPrintable(key), seq);
            else
                std::printf("failed %s %ld %s\n", qPrintable(key), seq,
                            qPrintable(error.message()));
            try {
                set.cancel();
            } catch (const db::DatabaseError &) {
            }
        }
        std::fflush(stdout);
    }
}
