// Report files: a 372-byte header, then each page's picture followed by the 32-bit file
// offset at which that picture starts. All numbers little-endian.
#include "report/QRReportFile.h"

#include "report/QRReportMath.h"
#include "report/QRReportPrinter.h"
#include "report/QRReportProgress.h"
#include "report/emf/EmfFormat.h"
#include "report/emf/EmfPlayer.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace qrfile {

namespace {

// Days since 30 December 1899, the time of day as the fraction.
double dateTimeValue(const QDateTime &when) {
    static const QDateTime epoch(QDate(1899, 12, 30), QTime(0, 0));
    const qint64 ms = epoch.msecsTo(when);
    return double(ms) / 86400000.0;
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
               const std::function<void(int page, int count)> &onPage) {
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
        c.pages.push_back(std::move(picture));
        file.skip(4); // the picture's start offset follows it and is not needed
    }
    return c;
}

} // namespace qrfile

void TQRPrinter::SavePages(const QString &fileName) {
    if (m_status != psReady)
        return;
    Cancelled = false;
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EQRError(QStringLiteral("Cannot create file \"%1\"").arg(fileName));
    TQRProgressForm progress(this);
    progress.SetMax(m_pageCount);
    if (ShowProgress)
        progress.ShowWindow();
    progress.SetMessage(QStringLiteral("Saving report"));

    auto write = [&file](const QByteArray &bytes) {
        if (file.write(bytes) != bytes.size())
            throw EQRError(QStringLiteral("Stream write error"));
    };
    try {
        write(qrfile::makeHeader(m_pageWidth, m_pageHeight, ScreenPixelsPerInch(), m_pageCount,
                                 QDateTime::currentDateTime(), m_orientation == poPortrait));
        const bool allPages = FirstPage == 0 && LastPage == 0;
        for (int i = 1; i <= m_pageCount; ++i) {
            QCoreApplication::processEvents();
            if (Cancelled)
                continue;
            progress.SetProgress(i);
            if (!allPages && (i < FirstPage || i > LastPage))
                continue;
            const std::int32_t start = std::int32_t(file.pos());
            write(Page(i));
            QByteArray offset(4, '\0');
            emf::putU32(offset, 0, std::uint32_t(start));
            write(offset);
        }
    } catch (...) {
        file.close();
        throw;
    }
    file.close();
    if (Cancelled)
        QFile::remove(fileName);
}

void TQRPrinter::LoadPages(const QString &fileName) {
    if (m_status == psReady)
        ClearPages();
    Cancelled = false;
    if (m_status != psEmpty)
        return;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EQRError(QStringLiteral("Cannot open file \"%1\"").arg(fileName));
    TQRProgressForm progress(this);
    if (ShowProgress)
        progress.ShowWindow();
    progress.SetMessage(QStringLiteral("Loading report"));
    // The whole file is checked before the store changes, so a broken file leaves it empty.
    qrfile::Contents contents = qrfile::parse(file, fileName, [&progress](int page, int count) {
        if (page == 1)
            progress.SetMax(count);
        QCoreApplication::processEvents();
        progress.SetProgress(page);
    });
    file.close();

    m_pages = std::move(contents.pages);
    m_pageCount = int(m_pages.size());
    m_pageWidth = contents.pageWidth;
    m_pageHeight = contents.pageHeight;
    m_sheetWidth = RoundEven(m_pageWidth * 1.1);
    m_sheetHeight = RoundEven(m_pageHeight * 1.1);
    SetOrientation(contents.portrait ? poPortrait : poLandscape);
    m_status = psReady;
    SelectPage(1);
}
