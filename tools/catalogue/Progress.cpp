#include "Progress.h"

#include <unistd.h>

namespace catalogue {

namespace {
constexpr qint64 redrawMilliseconds = 200;
}

Progress::Progress(const QString &what, qint64 total, std::FILE *stream)
    : m_what(what), m_total(total), m_stream(stream), m_enabled(isatty(fileno(stream)) != 0) {
    m_sinceDraw.start();
}

Progress::~Progress() {
    finish();
}

void Progress::advance(qint64 done) {
    m_done = done;
    if (m_enabled && m_sinceDraw.elapsed() >= redrawMilliseconds) {
        draw();
        m_sinceDraw.restart();
    }
}

void Progress::draw() {
    const QString line = m_total > 0 ? QStringLiteral("%1: %2 of %3 rows (%4 %)")
                                           .arg(m_what)
                                           .arg(m_done)
                                           .arg(m_total)
                                           .arg(m_done * 100 / m_total)
                                     : QStringLiteral("%1: %2 rows").arg(m_what).arg(m_done);
    std::fprintf(m_stream, "\r%s\033[K", qPrintable(line));
    std::fflush(m_stream);
    m_drawn = true;
}

void Progress::finish() {
    if (m_drawn) {
        std::fprintf(m_stream, "\r\033[K");
        std::fflush(m_stream);
        m_drawn = false;
    }
}

} // namespace catalogue
