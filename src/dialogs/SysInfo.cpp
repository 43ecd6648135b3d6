#include "dialogs/SysInfo.h"

#include "controls/ErrorReport.h"
#include "dialogs/Forms.h"
#include "platform/SystemInfo.h"

#include <QDateTime>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTableWidget>

namespace dialogs {

TfrmSysInfo *frmSysInfo = nullptr;

namespace {
constexpr int rowCount = 16;
constexpr int rowHeight = 18;
} // namespace

TfrmSysInfo::TfrmSysInfo(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    frmSysInfo = this;
    setObjectName(QStringLiteral("frmSysInfo"));
    setWindowTitle(QStringLiteral("System Info"));
    setClientArea(this, QSize(378, 374), palette().color(QPalette::Button));
    const QFont font = designFont(QStringLiteral("MS Sans Serif"), -11);
    setFont(font);

    StringGrid1 = new QTableWidget(rowCount, 2, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setGeometry(8, 8, 361, 313);
    StringGrid1->setFont(font);
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setMinimumSectionSize(1);
    // A row is 18 pixels high plus the grid line below it.
    StringGrid1->verticalHeader()->setDefaultSectionSize(rowHeight + 1);
    StringGrid1->setShowGrid(true);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setWordWrap(false);

    BitBtn1 = new QPushButton(QStringLiteral("&Done"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(144, 336, 97, 33);
    connect(BitBtn1, &QPushButton::clicked, this,
            [this] { controls::guarded([this] { BitBtn1Click(); }, this); });
    setTabOrder(StringGrid1, BitBtn1);
}

TfrmSysInfo::~TfrmSysInfo() {
    if (frmSysInfo == this)
        frmSysInfo = nullptr;
}

bool TfrmSysInfo::event(QEvent *event) {
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate)
        controls::guarded([this] { FormActivate(); }, this);
    return handled;
}

void TfrmSysInfo::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        centreOnScreen(this);
}

void TfrmSysInfo::FormActivate() {
    const int half = StringGrid1->viewport()->width() / 2;
    StringGrid1->setColumnWidth(0, half);
    StringGrid1->setColumnWidth(1, half);

    platform::SystemFacts facts = platform::querySystemFacts();
    if (const QScreen *display = screen()) {
        // The screen's device pixels, not the units a display scale makes of them.
        const QSize pixels =
            (QSizeF(display->geometry().size()) * display->devicePixelRatio()).toSize();
        facts.screenWidth = pixels.width();
        facts.screenHeight = pixels.height();
        facts.screenDepth = display->depth();
    }
    const auto rows =
        platform::systemInfoRows(facts, QDateTime::currentDateTime(), QLocale::system());
    for (int row = 0; row < rows.size(); ++row) {
        StringGrid1->setItem(row, 0, new QTableWidgetItem(rows[row].first));
        auto *value = new QTableWidgetItem(rows[row].second);
        // A value wider than its column (a long processor name) is read in full here.
        value->setToolTip(rows[row].second);
        StringGrid1->setItem(row, 1, value);
    }
}

void TfrmSysInfo::BitBtn1Click() {
    accept();
}

} // namespace dialogs
