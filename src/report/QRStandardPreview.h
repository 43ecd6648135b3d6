#pragma once

#include <QDialog>
#include <QObject>

class QLabel;
class QPushButton;
class QToolButton;

namespace report {

class TQRPreview;
class TQRPrinter;

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

} // namespace report
