#include "app/Main.h"

#include "app/Configuration.h"
#include "app/PleaseWait.h"
#include "app/ScreenCursor.h"
#include "controls/DBEdit.h"
#include "controls/DBGrid.h"
#include "controls/ErrorReport.h"
#include "controls/Nav.h"
#include "controls/newstat.h"
#include "data/EquipmentColumns.h"
#include "data/EquipmentQuery.h"
#include "dialogs/About.h"
#include "dialogs/SysInfo.h"
#include "dialogs/Title.h"
#include "platform/AudioDirectory.h"
#include "report/Print.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <algorithm>
#include <memory>

namespace app {

QPointer<TfrmMain> frmMain;

namespace {

const QStringList navigatorHints = {
    QStringLiteral("Beggining of file"), QStringLiteral("Jump backward"),
    QStringLiteral("Previous record"),   QStringLiteral("Next record"),
    QStringLiteral("Jump forward"),      QStringLiteral("End of file"),
    QStringLiteral("New record"),        QStringLiteral("Delete record"),
    QStringLiteral("Edit record"),       QStringLiteral("Post changes"),
    QStringLiteral("Cancel changes"),    QStringLiteral("Refresh file"),
    QStringLiteral("Set Bookmark"),      QStringLiteral("Goto Bookmark")};

struct NavigatorPlace {
    controls::TDBNavigatorSpec *TfrmMain::*member;
    const char *name;
    int left, width;
    controls::TButtonSet buttons;
    int jump;
};

using namespace controls;

// The four navigators of the top strip, in tab order.
const NavigatorPlace navigators[] = {
    {&TfrmMain::DBNavigatorSpec1, "DBNavigatorSpec1", 348, 115, {nbInsert, nbDelete, nbEdit}, 50},
    {&TfrmMain::DBNavigatorSpec2,
     "DBNavigatorSpec2",
     4,
     229,
     {nbFirst, nbRW, nbPrior, nbNext, nbFF, nbLast},
     4},
    {&TfrmMain::DBNavigatorSpec3, "DBNavigatorSpec3", 464, 109, {nbPost, nbCancel}, 50},
    {&TfrmMain::DBNavigatorSpec4, "DBNavigatorSpec4", 244, 75, {nbMark, nbGoto}, 50},
};

// Width of a grid column whose width the window does not fix: wide enough for a few
// characters of a text column, the common width otherwise.
int defaultGridWidth(const data::EquipmentColumn &column) {
    constexpr int common = 64;
    const int length = data::declaredLength(column);
    return length > 0 ? std::clamp(length * 6, common, 200) : common;
}

constexpr int menuBarHeight = 19;

QFont windowFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    return font;
}

// ---- Call sites of windows that other modules provide -----------------------------------

// Creates a window, shows it modally and releases it. It is destroyed at once: a deferred
// deletion requested before the event loop first runs (the title screen's, from the first
// show) would wait until the program ends.
template <typename Window> void showModalAndRelease(QWidget *owner) {
    const std::unique_ptr<Window> window(new Window(owner));
    window->exec();
}

// The title screen stays until its start button is pressed.
void runTitleScreen(QWidget *owner) {
    showModalAndRelease<dialogs::TfrmTitle>(owner);
}

} // namespace

TfrmMain::TfrmMain(QWidget *parent) : QMainWindow(parent), sqlEquipment(), srcEquipmernt() {
    frmMain = this;
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Vantrel Equipment Designer"));
    setFont(windowFont());

    data::configureEquipmentQuery(sqlEquipment, true);
    srcEquipmernt.setDataSet(&sqlEquipment);
    srcEquipmernt.setAutoEdit(false);

    buildMenu();
    auto *area = new QScrollArea(this);
    // Clicks on controls that take no focus (the navigators) must not hand it to the area.
    area->setFocusPolicy(Qt::NoFocus);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    Client = new QWidget;
    Client->setObjectName(QStringLiteral("Client"));
    area->setWidget(Client);
    setCentralWidget(area);

    buildGrid();
    buildDetail();
    buildTopStrip();
    connectSoundHandlers();

    StatusBar = new TAStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->addPanel(400, QStringLiteral("Hint"));
    setStatusBar(StatusBar);

    resize(designClientSize.width(), designClientSize.height() + menuBarHeight);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    updateClientExtent();
    FormCreate();
}

TfrmMain::~TfrmMain() {
    // Closing the query drops a row still being edited, without posting it.
    sqlEquipment.close();
}

void TfrmMain::buildMenu() {
    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    // The design's menu bar height, so that the client area starts at the same place on
    // every machine.
    MainMenu1->setFixedHeight(menuBarHeight);
    QMenu *files = MainMenu1->addMenu(QStringLiteral("Files"));
    Print1 = files->addAction(QStringLiteral("&Print..."));
    files->addSeparator();
    Quit1 = files->addAction(QStringLiteral("&Exit"));
    setHint(Quit1, QStringLiteral("Exit the program"));
    QMenu *help = MainMenu1->addMenu(QStringLiteral("Help"));
    Systeminfo1 = help->addAction(QStringLiteral("&System info"));
    setHint(Systeminfo1, QStringLiteral("General info about your PC"));
    About1 = help->addAction(QStringLiteral("About..."));
    setHint(About1, QStringLiteral("What's this program?"));

    auto route = [this](QAction *action, void (TfrmMain::*handler)()) {
        connect(action, &QAction::triggered, this,
                [this, handler] { guarded([this, handler] { (this->*handler)(); }, this); });
    };
    route(Print1, &TfrmMain::Print1Click);
    route(Quit1, &TfrmMain::Quit1Click);
    route(Systeminfo1, &TfrmMain::Systeminfo1Click);
    route(About1, &TfrmMain::About1Click);
}

void TfrmMain::buildGrid() {
    DBGrid1 = new TDBGrid(Client);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setGeometry(4, 32, 777, 129);
    std::vector<TColumn> columns;
    for (const data::EquipmentColumn &column : data::equipmentColumns()) {
        if (!column.inGrid)
            continue;
        const QString name = QString::fromUtf8(column.name);
        columns.push_back({name, column.gridTitle ? QString::fromUtf8(column.gridTitle) : name,
                           column.gridWidth > 0 ? column.gridWidth : defaultGridWidth(column)});
    }
    DBGrid1->setColumns(columns);
    DBGrid1->setDataSource(&srcEquipmernt);
}

void TfrmMain::buildDetail() {
    ScrollBox1 = new QScrollArea(Client);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setGeometry(4, 164, 781, 357);
    ScrollBox1->setFocusPolicy(Qt::NoFocus);
    ScrollBox1->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ScrollBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Panel1 = new QWidget;
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedSize(detailPanelSize);
    Panel1->setFont(windowFont());
    ScrollBox1->setWidget(Panel1);
    m_panel = buildDetailPanel(Panel1, &srcEquipmernt);

    cmdFireSound = m_panel.buttons.value(QStringLiteral("cmdFireSound"));
    Button1 = m_panel.buttons.value(QStringLiteral("Button1"));
    DBEdit6 = qobject_cast<TDBEdit *>(editorFor(QStringLiteral("SoundFire")));
    DBEdit7 = qobject_cast<TDBEdit *>(editorFor(QStringLiteral("SoundHit")));
    DBEdit6->setObjectName(QStringLiteral("DBEdit6"));
    DBEdit7->setObjectName(QStringLiteral("DBEdit7"));
}

void TfrmMain::buildTopStrip() {
    for (const NavigatorPlace &place : navigators) {
        auto *navigator = new TDBNavigatorSpec(Client);
        navigator->setObjectName(QString::fromLatin1(place.name));
        navigator->setVisibleButtons(place.buttons);
        navigator->setBounds(place.left, 4, place.width, 25);
        navigator->setJump(place.jump);
        navigator->setHints(navigatorHints);
        navigator->setDataSource(&srcEquipmernt);
        this->*place.member = navigator;
    }

    cmdSearch = new QPushButton(QStringLiteral("&Search for"), Client);
    cmdSearch->setObjectName(QStringLiteral("cmdSearch"));
    cmdSearch->setGeometry(580, 4, 75, 25);
    cmdSearch->setAutoDefault(false);
    setHint(cmdSearch, QStringLiteral("Start searching for the Name or Abbreviation "));
    connect(cmdSearch, &QPushButton::clicked, this,
            [this] { guarded([this] { cmdSearchClick(); }, this); });

    edSearch = new QLineEdit(Client);
    edSearch->setObjectName(QStringLiteral("edSearch"));
    edSearch->setGeometry(660, 6, 121, 21);
    setHint(edSearch, QStringLiteral("Enter part of Name or Abbreviation to search for"));
}

void TfrmMain::connectSoundHandlers() {
    auto route = [this](auto *sender, auto signal, void (TfrmMain::*handler)()) {
        connect(sender, signal, this,
                [this, handler] { guarded([&] { (this->*handler)(); }, this); });
    };
    route(cmdFireSound, &QPushButton::clicked, &TfrmMain::cmdFireSoundClick);
    route(Button1, &QPushButton::clicked, &TfrmMain::Button1Click);
    route(DBEdit6, &TDBEdit::doubleClicked, &TfrmMain::DBEdit6DblClick);
    route(DBEdit7, &TDBEdit::doubleClicked, &TfrmMain::DBEdit7DblClick);
}

void TfrmMain::cmdFireSoundClick() {
    sounds.playSound(QStringLiteral("SoundFire"));
}

void TfrmMain::Button1Click() {
    sounds.playSound(QStringLiteral("SoundHit"));
}

void TfrmMain::DBEdit6DblClick() {
    sounds.pickSound(QStringLiteral("SoundFire"), this);
}

void TfrmMain::DBEdit7DblClick() {
    sounds.pickSound(QStringLiteral("SoundHit"), this);
}

int TfrmMain::outerHeight() const {
    return height() - menuBarHeight + designNonClientHeight;
}

void TfrmMain::setOuterHeight(int outer) {
    resize(width(), outer - designNonClientHeight + menuBarHeight);
}

void TfrmMain::updateClientExtent() {
    // The client area scrolls when the window is smaller than what its controls reach.
    QRect reach;
    for (QWidget *child : Client->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        reach |= child->geometry();
    Client->setMinimumSize(reach.right() + 1, std::max(0, reach.bottom() + 1));
}

// ---- Handlers ---------------------------------------------------------------------------

void TfrmMain::FormCreate() {
    connect(ApplicationHint::instance(), &ApplicationHint::hintChanged, this,
            &TfrmMain::DisplayHint);
}

void TfrmMain::DisplayHint() {
    StatusBar->setPanelText(0, ApplicationHint::instance()->hint());
}

void TfrmMain::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    guarded([this] { FormShow(); }, this);
}

void TfrmMain::FormShow() {
    runTitleScreen(this);

    frmPleaseWait = new TfrmPleaseWait;
    // The notice is released even when loading fails: a borderless window that nothing
    // else can close would otherwise stay over the editor for the rest of the run.
    // It is destroyed at once, since a deferred deletion requested during the first show
    // would wait until the program ends.
    struct ReleaseNotice {
        ~ReleaseNotice() { delete frmPleaseWait; }
    } release;
    frmPleaseWait->show();
    // Let the notice reach the screen before the loading blocks the event loop.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    frmPleaseWait->repaint();

    LoadDatabase();
}

void TfrmMain::LoadDatabase() {
    setScreenCursor(Qt::WaitCursor);
    ReadConfiguration();
    OpenDialog.setInitialDir(platform::AudioDirectory());
    sqlEquipment.open();
    // A catalogue the designer cannot change says why, beside the hints.
    if (const QString why = sqlEquipment.readOnlyReason(); !why.isEmpty())
        StatusBar->addPanel(400, QStringLiteral("Read-only: ") + why);
    setScreenCursor(Qt::ArrowCursor);
}

void TfrmMain::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TfrmMain::FormResize() {
    if (!ScrollBox1)
        return;
    const int outer = outerHeight();
    if (outer > 200) {
        // Heights of zero or less leave the scroll box without a visible area.
        ScrollBox1->resize(ScrollBox1->width(), std::max(0, outer - ScrollBox1->y() - 73));
        updateClientExtent();
    }
}

void TfrmMain::cmdSearchClick() {
    const QString trimmed = data::trimSearchText(edSearch->text());
    edSearch->setText(trimmed);
    setScreenCursor(Qt::WaitCursor);
    data::searchEquipment(sqlEquipment, trimmed);
    setScreenCursor(Qt::ArrowCursor);
}

void TfrmMain::Print1Click() {
    // Under the hourglass frmPrint is made and its own query opened; the preview runs until
    // it is closed, and frmPrint is released.
    PrintEquipmentList();
}

void TfrmMain::Quit1Click() {
    close();
}

void TfrmMain::Systeminfo1Click() {
    showModalAndRelease<dialogs::TfrmSysInfo>(this);
}

void TfrmMain::About1Click() {
    showModalAndRelease<dialogs::TfrmAbout>(this);
}

void TfrmMain::closeEvent(QCloseEvent *event) {
    sqlEquipment.close();
    QMainWindow::closeEvent(event);
}

} // namespace app
