#include "report/QRCustomPreview.h"

#include "report/QRPrinter.h"
#include "report/QRReportMath.h"
#include "report/emf/EmfPlayer.h"

#include <QPainter>

namespace report {

TQRCustomPreview::TQRCustomPreview(TQRPrinter *store, QWidget *parent)
    : QWidget(parent), m_store(store) {
    setObjectName(QStringLiteral("QRCustomPreview"));
    resize(50, 50);
}

void TQRCustomPreview::SetZoom(int zoom) {
    m_zoom = zoom;
    update();
}

void TQRCustomPreview::paintEvent(QPaintEvent *) {
    if (!m_store || m_store->Status() != psReady)
        return;
    const int w = width(), h = height();
    const double z = m_zoom;
    QPainter painter(this);
    // The sheet.
    painter.fillRect(QRect(0, 0, w - 3, h - 3), Qt::white);
    // The page, drawn where the printable area lies on the sheet; its right and bottom are
    // the zoomed page size, so the page shows slightly smaller than its zoomed size.
    const QRect page(QPoint(RoundEven(z * m_store->OffsetX() * 0.01) + 1,
                            RoundEven(z * m_store->OffsetY() * 0.01) + 1),
                     QPoint(RoundEven(z * m_store->PageWidth() * 0.01),
                            RoundEven(z * m_store->PageHeight() * 0.01)));
    emf::EmfPlayer::play(m_store->Page(m_store->CurrentPage()), painter,
                         QRectF(page.left(), page.top(), page.width() - 1, page.height() - 1));
    // Outline and a shadow two units wide on the right and at the bottom.
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    const QPoint outline[] = {{0, 0}, {0, h - 3}, {w - 3, h - 3}, {w - 3, 0}, {0, 0}};
    painter.drawPolyline(outline, 5);
    painter.fillRect(QRect(QPoint(w - 2, 2), QPoint(w - 1, h - 1)), Qt::black);
    painter.fillRect(QRect(QPoint(2, h - 2), QPoint(w - 1, h - 1)), Qt::black);
}

} // namespace report
