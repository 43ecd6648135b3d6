#pragma once

#include <QScrollArea>

namespace report {

class TQRCustomPreview;
class TQRPrinter;

enum TQRZoomState { zmFitPage, zmPageWidth, zmCustom };

// The page view: a scrolling area holding one page image, zoomed to fit the page, to fit its
// width, or at a fixed percentage.
class TQRPreview : public QScrollArea {
    Q_OBJECT
public:
    explicit TQRPreview(TQRPrinter *store, QWidget *parent = nullptr);

    int PageNumber() const { return m_pageNumber; }
    void SetPageNumber(int n);
    int Zoom() const { return m_zoom; }
    void SetZoom(int z);
    TQRZoomState ZoomMode() const { return m_zoomMode; }
    void ZoomToFit();
    void ZoomToWidth();
    void UpdateLayout();
    TQRCustomPreview *PageImage() const { return m_image; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    friend class TQRStandardPreview;
    TQRPrinter *m_store;
    QWidget *m_surface;
    TQRCustomPreview *m_image;
    int m_pageNumber = 0;
    int m_zoom = 100;
    TQRZoomState m_zoomMode = zmFitPage;
};

} // namespace report
