#include "Progress.h"

#include <atomic>
#include <csignal>
#include <unistd.h>

namespace catalogue {

namespace {

constexpr qint64 redrawMilliseconds = 200;

// The descriptor of a drawn progress line, -1 when none is drawn: Ctrl-C clears the line
// before the program ends, so the shell's prompt does not start after a half line.
std::atomic<int> drawnOn{-1};

extern "C" void clearOnInterrupt(int signal) {
    const int fd = drawnOn.load();
    if (fd >= 0) {
        static const char clear[] = "\r\033[K";
        [[maybe_unused]] const ssize_t written = write(fd, clear, sizeof clear - 1);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

Progress::Progress(const QString &what, qint64 total, std::FILE *stream)
    : m_what(what), m_total(total), m_stream(stream), m_enabled(isatty(fileno(stream)) != 0) {
    m_sinceDraw.start();
    if (m_enabled) {
        std::signal(SIGINT, clearOnInterrupt);
        std::signal(SIGTERM, clearOnInterrupt);
    }
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
    drawnOn = fileno(m_stream);
}

void Progress::finish() {
    if (m_drawn) {
        drawnOn = -1;
        std::fprintf(m_stream, "\r\033[K");
        std::fflush(m_stream);
        m_drawn = false;
    }
}

} // namespace catalogue
