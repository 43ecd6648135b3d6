#pragma once

#include <QDialog>
#include <QObject>
#include <QScrollArea>
#include <QWidget>

class QAbstractButton;
class QLabel;
class QPushButton;
class QToolButton;
class TQRPrinter;

enum TQRZoomState { zmFitPage, zmPageWidth, zmCustom };

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

// The preview window with its toolbar: zoom, page navigation, print, save, load and exit.
class TQRStandardPreview : public QObject {
    Q_OBJECT
public:
    explicit TQRStandardPreview(TQRPrinter *store);
    ~TQRStandardPreview() override;

    QDialog *Window() const { return m_window; }
    TQRPreview *QRPreview() const { return m_preview; }
    // Shows the window modally; returns when it closes.
    void Show();
    void UpdateInfo();

    // Toolbar actions.
    void FirstPage();
    void PrevPage();
    void NextPage();
    void LastPage();
    void Print();
    void SaveTo(const QString &fileName);
    void LoadFrom(const QString &fileName);

    QToolButton *ZoomFitButton() const { return m_zoomFit; }
    QToolButton *Zoom100Button() const { return m_zoom100; }
    QToolButton *ZoomWidthButton() const { return m_zoomWidth; }
    QPushButton *FirstButton() const { return m_first; }
    QPushButton *PrevButton() const { return m_prev; }
    QPushButton *NextButton() const { return m_next; }
    QPushButton *LastButton() const { return m_last; }
    QPushButton *PrintButton() const { return m_print; }
    QPushButton *SaveButton() const { return m_save; }
    QPushButton *LoadButton() const { return m_load; }
    QPushButton *ExitButton() const { return m_exit; }
    QLabel *PageDisplay() const { return m_pageDisplay; }

private:
    void build();
    void saveClick();
    void loadClick();

    TQRPrinter *m_store;
    QDialog *m_window = nullptr;
    QWidget *m_toolbar = nullptr;
    QToolButton *m_zoomFit = nullptr, *m_zoom100 = nullptr, *m_zoomWidth = nullptr;
    QPushButton *m_first = nullptr, *m_prev = nullptr, *m_next = nullptr, *m_last = nullptr;
    QLabel *m_pageDisplay = nullptr;
    QPushButton *m_print = nullptr, *m_save = nullptr, *m_load = nullptr, *m_exit = nullptr;
    TQRPreview *m_preview = nullptr;
};
