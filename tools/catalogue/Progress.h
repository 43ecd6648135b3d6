#pragma once

#include <QElapsedTimer>
#include <QString>
#include <cstdio>

namespace catalogue {

// A progress line on the terminal for long work ("copy: 120000 of 1000000 rows"), redrawn
// at most a few times a second. Nothing is drawn when the error stream is not a terminal,
// so logs and pipes receive only the final summary.
class Progress {
public:
    Progress(const QString &what, qint64 total, std::FILE *stream = stderr);
    ~Progress();
    Progress(const Progress &) = delete;
    Progress &operator=(const Progress &) = delete;

    void advance(qint64 done);
    // Clears the line.
    void finish();

private:
    void draw();

    QString m_what;
    qint64 m_total;
    qint64 m_done = 0;
    std::FILE *m_stream;
    bool m_enabled;
    bool m_drawn = false;
    QElapsedTimer m_sinceDraw;
};

} // namespace catalogue
