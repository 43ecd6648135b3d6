#include "report/QRPreview.h"

#include "report/QRCustomPreview.h"
#include "report/QRPrinter.h"
#include "report/QRReportMath.h"

#include <QScrollBar>

namespace report {

TQRPreview::TQRPreview(TQRPrinter *store, QWidget *parent) : QScrollArea(parent), m_store(store) {
    setObjectName(QStringLiteral("QRPreview"));
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_surface = new QWidget;
    m_image = new TQRCustomPreview(store, m_surface);
    m_image->move(0, 0);
    setWidget(m_surface);
    setBackgroundRole(QPalette::Dark);
}

void TQRPreview::SetPageNumber(int n) {
    if (n == m_pageNumber || n <= 0 || n > m_store->PageCount())
        return;
    m_store->SelectPage(n);
    m_pageNumber = n;
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    m_image->update();
}

void TQRPreview::SetZoom(int z) {
    m_zoomMode = zmCustom;
    m_zoom = z;
    UpdateLayout();
}

void TQRPreview::UpdateLayout() {
    const int w = RoundEven(m_store->SheetWidth() * 0.01 * m_zoom) + 4;
    const int h = RoundEven(m_store->SheetHeight() * 0.01 * m_zoom) + 4;
    m_image->resize(qMax(w, 1), qMax(h, 1));
    const int left = w < width() ? (width() - w) / 2 : 0;
    const int top = h < height() ? (height() - h) / 2 : 0;
    m_image->move(left, top);
    m_surface->resize(qMax(viewport()->width(), left + w), qMax(viewport()->height(), top + h));
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    m_image->SetZoom(m_zoom);
}

void TQRPreview::ZoomToFit() {
    const int sw = qMax(m_store->SheetWidth(), 1), sh = qMax(m_store->SheetHeight(), 1);
    const int z = qMin(RoundEven(double(width()) / sw * 98), RoundEven(double(height()) / sh * 98));
    SetZoom(z);
    m_zoomMode = zmFitPage;
}

void TQRPreview::ZoomToWidth() {
    const int sw = qMax(m_store->SheetWidth(), 1);
    SetZoom(RoundEven(double(width()) / sw * 98));
    UpdateLayout();
    m_zoomMode = zmPageWidth;
}

void TQRPreview::resizeEvent(QResizeEvent *event) {
    QScrollArea::resizeEvent(event);
    // The fit modes follow the window's size; a fixed zoom stays fixed.
    if (m_zoomMode == zmFitPage)
        ZoomToFit();
    else if (m_zoomMode == zmPageWidth)
        ZoomToWidth();
    UpdateLayout();
}

} // namespace report
