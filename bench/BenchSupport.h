#pragma once

// Helpers every benchmark shares: the median of timed runs, a statement whose failure is
// printed, and the alias of the test server the scripts start (KORVANDEL_PG_*).
#include <QElapsedTimer>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace bench {

// Median of several runs, in milliseconds.
inline double timeMs(const std::function<void()> &work, int runs = 5) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Runs a statement; a failure is printed with the statement's start.
inline bool execOrReport(QSqlDatabase &db, const QString &text) {
    QSqlQuery query(db);
    if (query.exec(text))
        return true;
    std::fprintf(stderr, "failed: %s\n%s\n", qPrintable(text.left(200)),
                 qPrintable(query.lastError().text()));
    return false;
}

// Writes the private test server (scripts/start-postgres.sh) into the alias group open in
// the settings.
inline void writeServerAlias(QSettings &alias) {
    alias.setValue(QStringLiteral("Driver"), QStringLiteral("PSQL"));
    for (const auto &[key, variable] :
         {std::pair{"Host", "KORVANDEL_PG_HOST"}, std::pair{"Port", "KORVANDEL_PG_PORT"},
          std::pair{"Database", "KORVANDEL_PG_DATABASE"}, std::pair{"User", "KORVANDEL_PG_USER"},
          std::pair{"Password", "KORVANDEL_PG_PASSWORD"}})
        alias.setValue(QLatin1String(key), qEnvironmentVariable(variable));
}

} // namespace bench
