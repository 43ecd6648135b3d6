// Nothing in the editor opens and closes a descriptor of the open catalogue file: on Linux
// that drops the process's locks on it. The sound file dialog lists the working folder,
// where the catalogue lies, in write-ahead-log and in rollback-journal mode.
#include "data/OpenDialog.h"
#include "db/DataSet.h"
#include "support/SharedCatalogue.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QTimer>
#include <QtTest>
#include <sys/inotify.h>
#include <unistd.h>

class TestCatalogueFile : public QObject {
    Q_OBJECT

    // Opens and closes of the file seen while the action ran.
    static QStringList accessesDuring(const QString &path, const std::function<void()> &action) {
        const int watcher = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        inotify_add_watch(watcher, QFile::encodeName(path).constData(),
                          IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE);
        action();
        QStringList seen;
        alignas(inotify_event) char buffer[4096];
        ssize_t length;
        while ((length = read(watcher, buffer, sizeof buffer)) > 0)
            for (char *at = buffer; at < buffer + length;) {
                const auto *event = reinterpret_cast<const inotify_event *>(at);
                seen << (event->mask & IN_OPEN ? QStringLiteral("open") : QStringLiteral("close"));
                at += sizeof(inotify_event) + event->len;
            }
        close(watcher);
        return seen;
    }

private slots:
    void soundDialogLeavesTheCatalogueAlone_data() {
        QTest::addColumn<QString>("mode");
        QTest::newRow("write-ahead log") << "wal";
        QTest::newRow("rollback journal") << "delete";
    }
    void soundDialogLeavesTheCatalogueAlone() {
        QFETCH(QString, mode);
        SqliteCatalogue catalogue(mode);
        db::DataSet set(catalogue.alias());
        set.setSql({QStringLiteral("SELECT * FROM Items")});
        set.open();

        data::TOpenDialog dialog;
        dialog.setInitialDir(catalogue.dir());
        const QStringList seen = accessesDuring(catalogue.path(), [&] {
            // Shows every file, as the user does with "All files", then closes the dialog.
            QTimer::singleShot(800, [] {
                auto *shown = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
                if (!shown)
                    return;
                if (auto *types = shown->findChild<QComboBox *>(QStringLiteral("fileTypeCombo")))
                    types->setCurrentIndex(types->count() - 1);
                shown->selectNameFilter(shown->nameFilters().constLast());
                QTimer::singleShot(1500, shown, &QDialog::reject);
            });
            dialog.Execute();
        });
        QCOMPARE(seen, QStringList());

        // Posts still work and the file is as its owner keeps it.
        set.edit();
        set.fieldByName(QStringLiteral("Heat"))->setAsString(QStringLiteral("64"));
        set.post();
        QCOMPARE(catalogue.otherRuns(QStringLiteral("SELECT Heat FROM Items WHERE Number = 1;")),
                 QStringLiteral("64"));
    }
};

QTEST_MAIN(TestCatalogueFile)
#include "tst_cataloguefile.moc"
