// Nothing in the editor opens and closes a descriptor of the open catalogue file: on Linux
// that drops the process's locks on it. The sound file dialog lists the working folder,
// where the catalogue lies, in write-ahead-log and in rollback-journal mode.
#include "data/OpenDialog.h"
#include "db/DataSet.h"
#include "support/SharedCatalogue.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QListView>
#include <QScopeGuard>
#include <QTimer>
#include <QtTest>
#include <sys/inotify.h>
#include <unistd.h>

// Records the opens and closes of one file through inotify while it lives.
class FileAccesses {
public:
    explicit FileAccesses(const QString &path)
        : m_watcher(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)),
          m_watch(m_watcher < 0 ? -1
                                : inotify_add_watch(m_watcher, QFile::encodeName(path).constData(),
                                                    IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) {}
    ~FileAccesses() {
        if (m_watcher >= 0)
            close(m_watcher);
    }
    FileAccesses(const FileAccesses &) = delete;
    FileAccesses &operator=(const FileAccesses &) = delete;

    // Whether the file is watched at all: without it every check would pass unseen.
    bool watching() const { return m_watch >= 0; }

    // The accesses since the last call, in order.
    QStringList taken() {
        QStringList seen;
        alignas(inotify_event) char buffer[4096];
        ssize_t length;
        while ((length = read(m_watcher, buffer, sizeof buffer)) > 0)
            for (char *at = buffer; at < buffer + length;) {
                const auto *event = reinterpret_cast<const inotify_event *>(at);
                seen << (event->mask & IN_OPEN ? QStringLiteral("open") : QStringLiteral("close"));
                at += sizeof(inotify_event) + event->len;
            }
        return seen;
    }

private:
    int m_watcher;
    int m_watch;
};

class TestCatalogueFile : public QObject {
    Q_OBJECT

    // The dialog's list shows the folder, with the file among the entries that the current
    // filter lets through, and the model's background gatherer has read the file (its size,
    // read together with its icon): the folder is listed as the user sees it.
    static bool listed(QFileDialog *dialog, const QString &path) {
        auto *model = dialog->findChild<QFileSystemModel *>();
        auto *view = dialog->findChild<QListView *>(QStringLiteral("listView"));
        if (!model || !view)
            return false;
        const QModelIndex index = model->index(path);
        return index.isValid() && view->rootIndex() == index.parent() &&
               (model->flags(index) & Qt::ItemIsEnabled) && !view->isRowHidden(index.row()) &&
               model->size(index) > 0;
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

        FileAccesses accesses(catalogue.path());
        QVERIFY2(accesses.watching(), "inotify cannot watch the catalogue file");
        // The watch sees what it is to catch: an open and a close of the file.
        {
            QFile probe(catalogue.path());
            QVERIFY(probe.open(QIODevice::ReadOnly));
        }
        QCOMPARE(accesses.taken(), (QStringList{QStringLiteral("open"), QStringLiteral("close")}));

        data::TOpenDialog dialog;
        dialog.setInitialDir(catalogue.dir());
        bool shownAndListed = false;
        QTimer::singleShot(0, [&] {
            QFileDialog *shown = nullptr;
            // However the checks end, the dialog is closed.
            const auto close = qScopeGuard([&] {
                if (shown)
                    shown->reject();
            });
            QTRY_VERIFY(shown = qobject_cast<QFileDialog *>(QApplication::activeModalWidget()));
            // Shows every file, as the user does with "All files", and waits until the
            // folder is listed with the catalogue in it.
            if (auto *types = shown->findChild<QComboBox *>(QStringLiteral("fileTypeCombo")))
                types->setCurrentIndex(types->count() - 1);
            shown->selectNameFilter(shown->nameFilters().constLast());
            QTRY_VERIFY_WITH_TIMEOUT(listed(shown, catalogue.path()), 10000);
            shownAndListed = true;
        });
        dialog.Execute();
        QVERIFY(shownAndListed);
        QCOMPARE(accesses.taken(), QStringList());

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
