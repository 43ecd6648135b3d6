#include "app/Main.h"

#include "app/Configuration.h"
#include "app/PleaseWait.h"
#include "app/ScreenCursor.h"
#include "controls/Confirm.h"
#include "controls/DBEdit.h"
#include "controls/DBGrid.h"
#include "controls/ErrorReport.h"
#include "controls/Nav.h"
#include "controls/newstat.h"
#include "data/EquipmentColumns.h"
#include "data/EquipmentQuery.h"
#include "dialogs/About.h"
#include "dialogs/HistoryDialog.h"
#include "dialogs/SysInfo.h"
#include "dialogs/Title.h"
#include "platform/AudioDirectory.h"
#include "report/Print.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
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
    sqlEquipment.setRefusedEditQuestion(
        [this](const QString &refusal) { return controls::askRefusedEdit(refusal, this); });
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
    buildKeyboardCommands();

    StatusBar = new TAStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->addPanel(400, QStringLiteral("Hint"));
    setStatusBar(StatusBar);
    // Other programs' writes are shown as they happen; what they mean for the user is told here.
    sqlEquipment.setFollowChanges(true);
    sqlEquipment.setNoticeHandler(
        [this](const QString &text) { StatusBar->setPanelText(0, text); });

    resize(designClientSize.width(), designClientSize.height() + menuBarHeight);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    updateClientExtent();
    FormCreate();
}

TfrmMain::~TfrmMain() {
    // The children's focus changes while they are destroyed concern no row any more.
    disconnect(m_focusWatch);
    // Closing the query drops a row still being edited, without posting it.
    sqlEquipment.close();
}

void TfrmMain::buildMenu() {
    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    // The design's menu bar height, so that the client area starts at the same place on
    // every machine.
    MainMenu1->setFixedHeight(menuBarHeight);
    QMenu *files = MainMenu1->addMenu(QStringLiteral("&Files"));
    Print1 = files->addAction(QStringLiteral("&Print..."));
    files->addSeparator();
    Quit1 = files->addAction(QStringLiteral("&Exit"));
    Quit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    setHint(Quit1, QStringLiteral("Exit the program"));
    QMenu *view = MainMenu1->addMenu(QStringLiteral("&View"));
    Refresh1 = view->addAction(QStringLiteral("&Refresh"));
    Refresh1->setShortcut(QKeySequence(Qt::Key_F5));
    setHint(Refresh1, QStringLiteral("Read the rows again as they are stored now"));
    Find1 = view->addAction(QStringLiteral("&Find"));
    Find1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    setHint(Find1, QStringLiteral("Go to the search box"));
    dialogs::addHistoryMenu(MainMenu1, sqlEquipment);
    QMenu *help = MainMenu1->addMenu(QStringLiteral("&Help"));
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
    route(Refresh1, &TfrmMain::Refresh1Click);
    route(Find1, &TfrmMain::Find1Click);
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
    // The rows come in the order of their numbers: the "No" column grows with the largest.
    const auto number = std::find_if(columns.begin(), columns.end(), [](const TColumn &column) {
        return column.FieldName == QLatin1String("Number");
    });
    DBGrid1->setKeyColumn(number == columns.end() ? -1 : int(number - columns.begin()));
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
        navigator->setHints(TDBNavigatorSpec::initialHints());
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

void TfrmMain::buildKeyboardCommands() {
    // The record commands of the navigators, from anywhere in the window. A key presses
    // the button itself, so a disabled button ignores it and Delete still asks first.
    struct Command {
        TDBNavigatorSpec *navigator;
        TNavigateBtn button;
        QList<QKeySequence> keys;
    };
    const Command commands[] = {
        // F2 stays the grid's own key there (it does nothing in the grid).
        {DBNavigatorSpec1, nbEdit, {QKeySequence(Qt::CTRL | Qt::Key_E), QKeySequence(Qt::Key_F2)}},
        {DBNavigatorSpec1, nbInsert, {QKeySequence(Qt::CTRL | Qt::Key_N)}},
        {DBNavigatorSpec1, nbDelete, {QKeySequence(Qt::CTRL | Qt::Key_D)}},
        {DBNavigatorSpec3, nbPost, {QKeySequence(Qt::CTRL | Qt::Key_S)}},
    };
    for (const Command &command : commands) {
        auto *action = new QAction(this);
        action->setShortcuts(command.keys);
        addAction(action);
        QAbstractButton *button = command.navigator->button(command.button);
        connect(action, &QAction::triggered, button, &QAbstractButton::click);
        QStringList texts;
        for (const QKeySequence &key : command.keys)
            texts << key.toString(QKeySequence::NativeText);
        command.navigator->setShortcutText(command.button, texts.join(QStringLiteral(" or ")));
        m_commandKeys << command.keys;
    }
    m_commandKeys << Quit1->shortcut() << Refresh1->shortcut() << Find1->shortcut();

    // F10 opens the menu bar at its first menu.
    auto *menuKey = new QAction(this);
    menuKey->setShortcut(QKeySequence(Qt::Key_F10));
    addAction(menuKey);
    connect(menuKey, &QAction::triggered, this,
            [this] { MainMenu1->setActiveAction(MainMenu1->actions().value(0)); });
    m_commandKeys << menuKey->shortcut();

    // Text boxes claim keys such as Ctrl+E (end of line) for themselves; the window's
    // commands win over them.
    for (QLineEdit *edit : Client->findChildren<QLineEdit *>())
        edit->installEventFilter(this);

    DBGrid1->setCancelOnExit(false);
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this, &TfrmMain::focusMoved);
}

bool TfrmMain::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (m_commandKeys.contains(QKeySequence(key->keyCombination()))) {
            event->ignore();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TfrmMain::inDataArea(const QWidget *widget) const {
    return widget == DBGrid1 || DBGrid1->isAncestorOf(widget) || Panel1->isAncestorOf(widget);
}

void TfrmMain::focusMoved(QWidget *old, QWidget *now) {
    // The grid and the detail panel show the same row: moving between them keeps a new
    // row. Going from them to another control of this window leaves the row, and a new
    // row nothing was typed into is dropped. Another window (a message, a menu) leaves
    // nothing.
    if (!old || !now || now->window() != this || !inDataArea(old) || inDataArea(now))
        return;
    if (sqlEquipment.state() == db::DataSetState::Insert && !sqlEquipment.modified())
        guarded([this] { sqlEquipment.cancel(); }, this);
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
    report::PrintEquipmentList();
}

void TfrmMain::Quit1Click() {
    close();
}

void TfrmMain::Refresh1Click() {
    sqlEquipment.refresh();
}

void TfrmMain::Find1Click() {
    edSearch->setFocus(Qt::ShortcutFocusReason);
    edSearch->selectAll();
}

void TfrmMain::Systeminfo1Click() {
    showModalAndRelease<dialogs::TfrmSysInfo>(this);
}

void TfrmMain::About1Click() {
    showModalAndRelease<dialogs::TfrmAbout>(this);
}

void TfrmMain::closeEvent(QCloseEvent *event) {
    // Values a refused Post left in the row are never dropped unasked.
    if (!controls::guarded([this] { sqlEquipment.settleRefusedEdit(); }, this)) {
        event->ignore();
        return;
    }
    sqlEquipment.close();
    QMainWindow::closeEvent(event);
}

} // namespace app
