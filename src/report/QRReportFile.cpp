// Report files: a 372-byte header, then each page's picture followed by the 32-bit file
// offset at which that picture starts. All numbers little-endian.
#include "report/QRReportFile.h"

#include "report/QRError.h"
#include "report/emf/EmfFormat.h"
#include "report/emf/EmfPlayer.h"

#include <QDateTime>
#include <QFileInfo>
#include <QIODevice>

namespace report::qrfile {

namespace {

// The local wall-clock date and time as days since 30 December 1899, the time of day as the
// fraction. Counted on the calendar, not in elapsed time: a span that crosses a change of
// the zone's offset (daylight saving, or the zone's 1899 offset) must not shift the value.
// Before the epoch the days count down while the fraction still adds to the day's distance.
double dateTimeValue(const QDateTime &when) {
    const QDateTime local = when.toLocalTime();
    const qint64 days = QDate(1899, 12, 30).daysTo(local.date());
    const double fraction = local.time().msecsSinceStartOfDay() / 86400000.0;
    return days >= 0 ? double(days) + fraction : double(days) - fraction;
}

void put32(QByteArray &header, int offset, std::int32_t value) {
    emf::putU32(header, offset, std::uint32_t(value));
}

EQRError invalid(const QString &fileName, const QString &reason) {
    return EQRError(QStringLiteral("\"%1\" is not a valid report file: %2")
                        .arg(QFileInfo(fileName).fileName(), reason));
}

} // namespace

QByteArray makeHeader(int pageWidth, int pageHeight, int pixelsPerInch, int pageCount,
                      const QDateTime &written, bool portrait) {
    QByteArray header(kHeaderSize, '\0');
    emf::putU32(header, 0, 1 | (100u << 16)); // 1 and 100, two 16-bit values
    put32(header, 4, pageHeight);
    put32(header, 8, pageWidth);
    put32(header, 12, pixelsPerInch);
    put32(header, 16, pageCount);
    const double when = dateTimeValue(written);
    std::memcpy(header.data() + 104, &when, 8);
    header[112] = portrait ? 1 : 0;
    return header;
}

Contents parse(QIODevice &file, const QString &fileName,
               const std::function<void(int page, int count)> &onPage,
               const std::function<void(QByteArray &&picture)> &keep) {
    const qint64 length = file.size();
    const QByteArray header = file.read(kHeaderSize);
    if (header.size() < kHeaderSize)
        throw invalid(fileName, QStringLiteral("it is shorter than a report header"));
    const char *data = header.constData();
    Contents c;
    c.pageHeight = emf::readI32(data + 4);
    c.pageWidth = emf::readI32(data + 8);
    const std::int32_t count = emf::readI32(data + 16);
    c.portrait = data[112] != 0;
    if (c.pageWidth <= 0 || c.pageHeight <= 0 || c.pageWidth > kMaxPageUnits ||
        c.pageHeight > kMaxPageUnits)
        throw invalid(fileName, QStringLiteral("its page size is impossible"));
    // Every page needs at least a header and end record and its offset: a count that the
    // file's length cannot hold is refused before anything is allocated for it.
    const qint64 smallestPage = emf::kMinimumSize + 4;
    if (count <= 0 || count > (length - kHeaderSize) / smallestPage)
        throw invalid(fileName,
                      QStringLiteral("its page count %1 does not fit the file").arg(count));

    if (!keep)
        c.pages.reserve(std::size_t(count));
    for (int i = 1; i <= count; ++i) {
        if (onPage)
            onPage(i, count);
        const QByteArray start = file.peek(88);
        const qint64 size = emf::EmfPlayer::declaredSize(start.constData(), start.size());
        if (size < 0)
            throw invalid(fileName, QStringLiteral("page %1 is not a picture").arg(i));
        if (size > length - file.pos() - 4)
            throw invalid(fileName, QStringLiteral("page %1 is cut short").arg(i));
        QByteArray picture = file.read(size);
        if (picture.size() != size)
            throw invalid(fileName, QStringLiteral("page %1 is cut short").arg(i));
        const QString problem = emf::EmfPlayer::validate(picture);
        if (!problem.isEmpty())
            throw invalid(fileName, QStringLiteral("page %1: %2").arg(i).arg(problem));
        // A sound picture can still ask for minutes of drawing at every repaint and print.
        const QString tooMuch = emf::EmfPlayer::checkWork(picture);
        if (!tooMuch.isEmpty())
            throw invalid(fileName, QStringLiteral("page %1: %2").arg(i).arg(tooMuch));
        if (keep)
            keep(std::move(picture));
        else
            c.pages.push_back(std::move(picture));
        file.skip(4); // the picture's start offset follows it and is not needed
    }
    return c;
}

} // namespace report::qrfile
