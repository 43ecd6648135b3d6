// The cost of the row history on an embedded catalogue: Post with and without its history
// row, open, moves and search before and after the history holds a million rows, and the
// history view of one row with 10,000 changes.
//   bench_history FILE   (an Equipment table of any size, e.g. bench_dataset's; the file
//                         is given a history table, filled once)
#include "data/EquipmentHistory.h"
#include "data/EquipmentQuery.h"
#include "db/AliasRegistry.h"
#include "db/DataSet.h"
#include "db/DatabaseError.h"
#include "dialogs/HistoryDialog.h"

#include "BenchSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QSqlQuery>
#include <QTreeWidget>
#include <cstdio>
#include <functional>
#include <unistd.h>

namespace {

qint64 scalar(QSqlDatabase &db, const QString &text) {
    QSqlQuery query(db);
    return query.exec(text) && query.next() ? query.value(0).toLongLong() : -1;
}

constexpr int historyRows = 1000000;
constexpr int oneRowChanges = 10000;

// Open, moves and search, the figures a large history must not change.
void browseFigures(db::DataSet &set, const char *when) {
    const double open = bench::timeMs(
        [&] {
            set.close();
            set.open();
        },
        5);
    const double move = bench::timeMs([&] { set.moveBy(50); }, 21);
    const double search = bench::timeMs(
        [&] {
            data::searchEquipment(set, QStringLiteral("Gauss"));
            data::searchEquipment(set, QString());
        },
        3);
    std::printf("%-44s %10.2f %10.3f %10.2f\n", when, open, move, search / 2);
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (app.arguments().size() != 2) {
        std::fprintf(stderr, "usage: bench_history FILE\n");
        return 2;
    }
    const QString ini = QDir::tempPath() + QStringLiteral("/korvandel-bench-%1.ini").arg(getpid());
    {
        QSettings settings(ini, QSettings::IniFormat);
        settings.beginGroup(data::equipmentAlias());
        settings.setValue(QStringLiteral("Driver"), QStringLiteral("SQLITE"));
        settings.setValue(QStringLiteral("Path"), app.arguments().at(1));
    }
    db::AliasRegistry::setConfigFile(ini);
    try {
        QSqlDatabase db = db::AliasRegistry::database(data::equipmentAlias());
        QFile::remove(ini);
        const qint64 rows = scalar(db, QStringLiteral("SELECT COUNT(*) FROM Equipment"));
        db::DataSet set;
        data::configureEquipmentQuery(set, true);
        set.open();
        std::printf("Korvandel history benchmark, %lld rows (%s)\n", rows,
                    qPrintable(app.arguments().at(1)));
        std::printf("%-44s %10s %10s %10s\n", "browse (ms)", "open", "move 50", "search");
        browseFigures(set, "history table empty or missing");

        // Post of one column, without and with its history row.
        set.moveBy(int(rows / 2));
        int heat = 0;
        auto post = [&] {
            set.edit();
            set.fieldByName(QStringLiteral("HeatToUser"))
                ->setAsString(QString::number(++heat % 30));
            set.post();
        };
        const QVariant mark = set.bookmark();
        set.setChangeRecorder(nullptr);
        set.close();
        set.open();
        set.gotoBookmark(mark);
        const double plain = bench::timeMs(post, 41);
        set.setChangeRecorder(data::historyRecorder());
        set.close();
        set.open();
        set.gotoBookmark(mark);
        const double recorded = bench::timeMs(post, 41);

        // A million history rows, 10,000 of them for one row, the others spread.
        const qint64 key = mark.toLongLong();
        if (scalar(db, QStringLiteral("SELECT COUNT(*) FROM EquipmentHistory")) < historyRows) {
            std::printf("filling %d history rows ...\n", historyRows);
            std::fflush(stdout);
            db::AliasRegistry::runScript(
                db, QStringLiteral(
                        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE "
                        "i < %1) INSERT INTO EquipmentHistory (ChangedAt, ChangedBy, Kind, "
                        "RowKey, Code, Changes) SELECT strftime('%Y-%m-%dT%H:%M:%fZ', "
                        "'2025-01-01', '+' || i || ' seconds'), 'bench@host', 'update', "
                        "CASE WHEN i % 100 = 0 THEN %2 ELSE 1 + i % %3 END, 'K' || i, "
                        "'{\"HeatToUser\":[' || (i % 30) || ',' || ((i + 1) % 30) || ']}' FROM n")
                        .arg(historyRows)
                        .arg(key)
                        .arg(rows));
            db::AliasRegistry::runScript(db, QStringLiteral("ANALYZE"));
        }
        browseFigures(set, "history table of 1,000,000 rows");
        set.gotoBookmark(mark);
        const double recordedLarge = bench::timeMs(post, 41);
        std::printf("%-44s %10.3f\n", "Post without history (ms)", plain);
        std::printf("%-44s %10.3f  (x%.2f)\n", "Post with history, first pass (ms)", recorded,
                    recorded / plain);
        std::printf("%-44s %10.3f  (x%.2f)\n", "Post with history, >= 1M history rows (ms)",
                    recordedLarge, recordedLarge / plain);

        std::size_t changes = 0;
        std::size_t shown = 0;
        const double read = bench::timeMs([&] { changes = data::rowHistory(db, key).size(); }, 5);
        const double view = bench::timeMs(
            [&] {
                dialogs::THistoryDialog dialog(set);
                shown = std::size_t(dialog.changes()->topLevelItemCount());
            },
            5);
        std::printf("%-44s %10.2f  (%zu changes)\n", "Read one row's history (ms)", read, changes);
        std::printf("%-44s %10.2f  (newest %zu shown)\n", "History view of one row opens (ms)",
                    view, shown);
    } catch (const db::DatabaseError &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }
    return 0;
}
