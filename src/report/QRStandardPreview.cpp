// The print preview window.
#include "report/QRStandardPreview.h"

#include "controls/ErrorReport.h"
#include "report/QRPreview.h"
#include "report/QRPrinter.h"

#include <QDialog>
#include <QFileDialog>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

// The glyphs live in this static library, whose resource registration the linker would
// otherwise drop.
static void initReportResources() {
    Q_INIT_RESOURCE(report);
}

namespace report {

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

} // namespace report
