// Saving and loading the page store's pages as a report file.
#include "report/QRError.h"
#include "report/QRPrinter.h"
#include "report/QRProgressForm.h"
#include "report/QRReportFile.h"
#include "report/QRReportMath.h"
#include "report/emf/EmfFormat.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>

namespace report {

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
    // The whole file is checked before the store changes, so a broken file leaves it empty;
    // pages are deflated as they are read, as the store keeps them.
    std::vector<QByteArray> pages;
    qrfile::Contents contents = qrfile::parse(
        file, fileName,
        [&progress, &pages](int page, int count) {
            if (page == 1) {
                progress.SetMax(count);
                pages.reserve(std::size_t(count));
            }
            QCoreApplication::processEvents();
            progress.SetProgress(page);
        },
        [this, &pages](QByteArray &&picture) { pages.push_back(m_deflater.deflate(picture)); });
    file.close();

    m_pages = std::move(pages);
    m_pageCount = int(m_pages.size());
    m_pageWidth = contents.pageWidth;
    m_pageHeight = contents.pageHeight;
    m_sheetWidth = RoundEven(m_pageWidth * 1.1);
    m_sheetHeight = RoundEven(m_pageHeight * 1.1);
    SetOrientation(contents.portrait ? poPortrait : poLandscape);
    m_status = psReady;
    SelectPage(1);
}

} // namespace report
