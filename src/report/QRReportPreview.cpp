// The print preview window.
#include "report/QRReportPreview.h"

#include "controls/ErrorReport.h"
#include "report/QRReportMath.h"
#include "report/QRReportPrinter.h"
#include "report/emf/EmfPlayer.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

// The glyphs live in this static library, whose resource registration the linker would
// otherwise drop.
static void initReportResources() {
    Q_INIT_RESOURCE(report);
}

namespace {

// A toolbar glyph: the bottom-left pixel's colour is transparent; a bitmap twice as wide as
// high holds the enabled image and, beside it, the one shown while the button is disabled.
QIcon glyph(const QString &name) {
    static const bool registered = (initReportResources(), true);
    Q_UNUSED(registered);
    QImage image(QStringLiteral(":/report/%1.bmp").arg(name));
    if (image.isNull())
        return {};
    image = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (line[x] == transparent)
                line[x] = qRgba(0, 0, 0, 0);
    }
    QIcon icon;
    const int h = image.height();
    if (image.width() == 2 * h) {
        icon.addPixmap(QPixmap::fromImage(image.copy(0, 0, h, h)), QIcon::Normal);
        icon.addPixmap(QPixmap::fromImage(image.copy(h, 0, h, h)), QIcon::Disabled);
    } else {
        icon.addPixmap(QPixmap::fromImage(image), QIcon::Normal);
    }
    return icon;
}

class WaitCursor {
public:
    explicit WaitCursor(QWidget *widget) : m_widget(widget) { widget->setCursor(Qt::WaitCursor); }
    ~WaitCursor() { m_widget->unsetCursor(); }

private:
    QWidget *m_widget;
};

} // namespace

void TQRPrinter::ShowPreview() {
    SelectPage(1);
    TQRStandardPreview preview(this);
    preview.Show();
}

// --- page image ---

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

// --- page view ---

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

// --- the window ---

TQRStandardPreview::TQRStandardPreview(TQRPrinter *store) : QObject(store), m_store(store) {
    build();
}

TQRStandardPreview::~TQRStandardPreview() {
    delete m_window;
}

void TQRStandardPreview::build() {
    m_window = new QDialog(nullptr, Qt::Window);
    m_window->setObjectName(QStringLiteral("QRStandardPreview"));
    m_window->setWindowTitle(m_store->PreviewCaption);
    m_window->resize(500, 400);
    m_window->setWindowState(Qt::WindowMaximized);

    auto *layout = new QVBoxLayout(m_window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_toolbar = new QWidget(m_window);
    m_toolbar->setFixedHeight(32);
    layout->addWidget(m_toolbar);

    int left = 15;
    auto place = [this, &left](QWidget *control, int width) {
        control->setParent(m_toolbar);
        control->setGeometry(left, 2, width, 28);
        left += width;
    };
    auto zoomButton = [&](const char *glyphName, const char *hint) {
        auto *button = new QToolButton;
        button->setIcon(glyph(QString::fromLatin1(glyphName)));
        button->setIconSize(QSize(24, 24));
        button->setToolTip(QString::fromLatin1(hint));
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRaise(true);
        place(button, 28);
        return button;
    };
    auto pushButton = [&](const char *glyphName, const char *hint, int width, QSize iconSize) {
        auto *button = new QPushButton;
        button->setIcon(glyph(QString::fromLatin1(glyphName)));
        button->setIconSize(iconSize);
        button->setToolTip(QString::fromLatin1(hint));
        button->setAutoDefault(false);
        place(button, width);
        return button;
    };

    m_zoomFit = zoomButton("QRBMPFITPAGE", "Fit in Window");
    m_zoom100 = zoomButton("QRBMP100", "100%");
    m_zoomWidth = zoomButton("QRBMPWIDTH", "Page Width");
    left += 10;
    m_first = pushButton("BMPFIRST", "First page", 28, QSize(16, 16));
    m_prev = pushButton("BMPPREV", "Previous page", 28, QSize(16, 16));
    m_pageDisplay = new QLabel;
    m_pageDisplay->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_pageDisplay->setAlignment(Qt::AlignCenter);
    place(m_pageDisplay, 110);
    m_next = pushButton("BMPNEXT", "Next page", 28, QSize(16, 16));
    m_last = pushButton("BMPLAST", "Last page", 28, QSize(16, 16));
    if (m_store->PrintButton) {
        m_print = pushButton("BMPPRINT", "Print report", 36, QSize(16, 16));
        m_print->setEnabled(m_store->CanPrint());
    }
    if (m_store->SaveButton)
        m_save = pushButton("BMPSAVE", "Save report", 36, QSize(16, 16));
    if (m_store->LoadButton)
        m_load = pushButton("BMPLOAD", "Load report", 36, QSize(16, 16));
    m_exit = new QPushButton(tr("&Exit"));
    m_exit->setAutoDefault(false);
    place(m_exit, 60);

    m_preview = new TQRPreview(m_store, m_window);
    layout->addWidget(m_preview, 1);
    m_preview->SetPageNumber(1);

    // Every handler runs through the default error report.
    auto guarded = [this](auto handler) {
        return [this, handler] {
            controls::guarded([this, handler] { (this->*handler)(); }, m_window);
        };
    };
    connect(m_zoomFit, &QToolButton::clicked, m_preview, [this] { m_preview->ZoomToFit(); });
    connect(m_zoom100, &QToolButton::clicked, m_preview, [this] { m_preview->SetZoom(100); });
    connect(m_zoomWidth, &QToolButton::clicked, m_preview, [this] { m_preview->ZoomToWidth(); });
    connect(m_first, &QPushButton::clicked, this, guarded(&TQRStandardPreview::FirstPage));
    connect(m_prev, &QPushButton::clicked, this, guarded(&TQRStandardPreview::PrevPage));
    connect(m_next, &QPushButton::clicked, this, guarded(&TQRStandardPreview::NextPage));
    connect(m_last, &QPushButton::clicked, this, guarded(&TQRStandardPreview::LastPage));
    if (m_print)
        connect(m_print, &QPushButton::clicked, this, guarded(&TQRStandardPreview::Print));
    if (m_save)
        connect(m_save, &QPushButton::clicked, this, guarded(&TQRStandardPreview::saveClick));
    if (m_load)
        connect(m_load, &QPushButton::clicked, this, guarded(&TQRStandardPreview::loadClick));
    // Exit is the cancel button: Esc, like the close box, ends the modal showing.
    connect(m_exit, &QPushButton::clicked, m_window, &QDialog::reject);
    UpdateInfo();
}

void TQRStandardPreview::Show() {
    m_window->exec();
}

void TQRStandardPreview::UpdateInfo() {
    const int n = m_store->CurrentPage(), m = m_store->PageCount();
    m_pageDisplay->setText(QStringLiteral("Page") + QLatin1Char(' ') + QString::number(n) +
                           QLatin1Char(' ') + QStringLiteral("of") + QLatin1Char(' ') +
                           QString::number(m));
    m_first->setEnabled(n != 1);
    m_prev->setEnabled(n != 1);
    m_next->setEnabled(n != m);
    m_last->setEnabled(n != m);
}

void TQRStandardPreview::FirstPage() {
    m_preview->SetPageNumber(1);
    UpdateInfo();
}

void TQRStandardPreview::PrevPage() {
    if (m_store->CurrentPage() >= 2) {
        m_preview->SetPageNumber(m_preview->PageNumber() - 1);
        UpdateInfo();
    }
}

void TQRStandardPreview::NextPage() {
    if (m_store->CurrentPage() < m_store->PageCount()) {
        m_preview->SetPageNumber(m_preview->PageNumber() + 1);
        UpdateInfo();
    }
}

void TQRStandardPreview::LastPage() {
    m_preview->SetPageNumber(m_store->PageCount());
    UpdateInfo();
}

void TQRStandardPreview::Print() {
    if (!m_print)
        return m_store->PrintPages();
    // The button is enabled again afterwards, also when printing fails.
    m_print->setEnabled(false);
    struct Enable {
        QPushButton *button;
        ~Enable() { button->setEnabled(true); }
    } enable{m_print};
    m_store->PrintPages();
}

void TQRStandardPreview::SaveTo(const QString &fileName) {
    WaitCursor wait(m_window);
    m_store->SavePages(fileName);
}

void TQRStandardPreview::LoadFrom(const QString &fileName) {
    m_store->LoadPages(fileName);
    // The view shows page 1 afresh: its page number may already be 1 from before.
    m_store->SelectPage(1);
    m_preview->m_pageNumber = 1;
    m_preview->UpdateLayout();
    UpdateInfo();
}

void TQRStandardPreview::saveClick() {
    QFileDialog dialog(m_window);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("Report files (*.QRP)"));
    dialog.setDefaultSuffix(QStringLiteral("QRP"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    SaveTo(dialog.selectedFiles().constFirst());
}

void TQRStandardPreview::loadClick() {
    QFileDialog dialog(m_window);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QStringLiteral("Report files (*.QRP)"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    LoadFrom(dialog.selectedFiles().constFirst());
}
