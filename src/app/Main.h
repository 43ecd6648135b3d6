#pragma once

#include "app/DetailLayout.h"
#include "data/WeaponSounds.h"
#include "db/DataSet.h"
#include "db/DataSource.h"

#include <QMainWindow>
#include <QPointer>

class QAction;
class QLineEdit;
class QPushButton;
class QScrollArea;

namespace controls {
class TAStatusBar;
class TDBEdit;
class TDBGrid;
class TDBNavigatorSpec;
} // namespace controls

namespace app {

// The editor's main window: navigators and the search across the top, the grid of rows,
// the scrolling detail panel with an editor for nearly every column, the hint status bar
// and the menu. Everything is bound to srcEquipmernt over the live query sqlEquipment.
class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget *parent = nullptr);
    ~TfrmMain() override;

    // The design size of the client area (below the menu bar, status bar included), and
    // what the window frame, caption and menu bar add to it at the design size.
    static constexpr QSize designClientSize{792, 548};
    static constexpr int designNonClientHeight = 594 - 548;

    // Outer height of the window as the resizing rule sees it: the client height plus
    // the design frame, caption and menu bar, whatever the window manager draws.
    int outerHeight() const;
    // Resizes the window so that its outer height is the given one.
    void setOuterHeight(int height);

    // Components, by their names.
    db::DataSet sqlEquipment;
    db::DataSource srcEquipmernt;
    QMenuBar *MainMenu1 = nullptr;
    QAction *Print1 = nullptr;
    QAction *Quit1 = nullptr;
    QAction *Refresh1 = nullptr;
    QAction *Find1 = nullptr;
    QAction *Systeminfo1 = nullptr;
    QAction *About1 = nullptr;
    QWidget *Client = nullptr; // the client area below the menu bar, above the status bar
    controls::TDBGrid *DBGrid1 = nullptr;
    QScrollArea *ScrollBox1 = nullptr;
    QWidget *Panel1 = nullptr;
    controls::TDBNavigatorSpec *DBNavigatorSpec1 = nullptr;
    controls::TDBNavigatorSpec *DBNavigatorSpec2 = nullptr;
    controls::TDBNavigatorSpec *DBNavigatorSpec3 = nullptr;
    controls::TDBNavigatorSpec *DBNavigatorSpec4 = nullptr;
    QPushButton *cmdSearch = nullptr;
    QLineEdit *edSearch = nullptr;
    controls::TAStatusBar *StatusBar = nullptr;
    // Plays and picks the sounds of the current row; owns the file dialog OpenDialog.
    data::WeaponSounds sounds{&sqlEquipment};
    data::TOpenDialog &OpenDialog = sounds.OpenDialog();
    QPushButton *cmdFireSound = nullptr;
    QPushButton *Button1 = nullptr;
    controls::TDBEdit *DBEdit6 = nullptr; // SoundFire
    controls::TDBEdit *DBEdit7 = nullptr; // SoundHit

    // The editor bound to a column (by column name), nullptr when the panel has none.
    QWidget *editorFor(const QString &column) const { return m_panel.editors.value(column); }
    const DetailPanel &detailPanel() const { return m_panel; }

    // Handlers.
    void FormCreate();
    void FormShow();
    void FormResize();
    void DisplayHint();
    void cmdSearchClick();
    void cmdFireSoundClick();
    void Button1Click();
    void DBEdit6DblClick();
    void DBEdit7DblClick();
    void Print1Click();
    void Quit1Click();
    void Refresh1Click();
    void Find1Click();
    void Systeminfo1Click();
    void About1Click();

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenu();
    void buildTopStrip();
    void buildGrid();
    void buildDetail();
    void connectSoundHandlers();
    void buildKeyboardCommands();
    bool inDataArea(const QWidget *widget) const;
    void focusMoved(QWidget *old, QWidget *now);
    void LoadDatabase();
    void updateClientExtent();

    DetailPanel m_panel;
    bool m_shown = false;
    QList<QKeySequence> m_commandKeys; // shortcuts that win over the editors' own keys
    QMetaObject::Connection m_focusWatch;
};

// The main window, for the whole run.
extern QPointer<TfrmMain> frmMain;

} // namespace app
