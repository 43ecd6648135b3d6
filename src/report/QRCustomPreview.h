#pragma once

#include <QWidget>

namespace report {

class TQRPrinter;

// The page image: paints the store's current page as a white sheet with a shadow.
class TQRCustomPreview : public QWidget {
    Q_OBJECT
public:
    explicit TQRCustomPreview(TQRPrinter *store, QWidget *parent = nullptr);
    int Zoom() const { return m_zoom; }
    void SetZoom(int zoom);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TQRPrinter *m_store;
    int m_zoom = 100;
};

} // namespace report
