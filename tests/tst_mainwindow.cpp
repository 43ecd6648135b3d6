// The main window over a demo catalogue: layout facts, hints in the status bar, the
// resizing rule, the search box and closing with a pending row.
#include "app/Configuration.h"
#include "app/Main.h"
#include "app/PleaseWait.h"
#include "controls/DBGrid.h"
#include "controls/Fonts.h"
#include "controls/Nav.h"
#include "controls/newstat.h"
#include "data/DemoCatalogue.h"
#include "data/EquipmentColumns.h"
#include "data/EquipmentQuery.h"
#include "main_support.h"
#include "support/TitleScreen.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>

using app::TfrmMain;

class TestMainWindow : public QObject {
    Q_OBJECT
    std::unique_ptr<TempCatalogue> catalogue;
    std::unique_ptr<TfrmMain> window;
    QStringList warnings;
    QString startDir;

    QString panelText() const { return window->StatusBar->panelText(0); }

    // Moves the pointer onto a point of a widget of the window.
    void pointAt(QWidget *widget, QPoint pos) { QTest::mouseMove(widget, pos); }

private slots:
    void initTestCase() {
        // The program's fonts, as the editor installs them at its start.
        controls::installFontSubstitutes();
        startDir = QDir::currentPath();
        app::setWarningNotice([this](const QString &text) { warnings << text; });
    }

    void init() {
        catalogue = std::make_unique<TempCatalogue>(data::equipmentAlias());
        QSqlDatabase db = catalogue->db();
        data::createDemoCatalogue(db);
        // The configuration file lies one folder above the working directory.
        QVERIFY(QDir(catalogue->dir()).mkdir("work"));
        QVERIFY(QDir::setCurrent(catalogue->dir() + "/work"));
        window = std::make_unique<TfrmMain>();
        pressStartWhenTitleShows();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY(window->sqlEquipment.active());
    }

    void cleanup() {
        window.reset();
        QDir::setCurrent(startDir);
        catalogue.reset();
    }

    void startUp() {
        QCOMPARE(window->windowTitle(), QString("Vantrel Equipment Designer"));
        QCOMPARE(panelText(), QString("Hint")); // until the first change of the hint
        QCOMPARE(window->Client->size(), QSize(792, 548 - 19));
        QCOMPARE(window->StatusBar->height(), 19);
        QCOMPARE(window->StatusBar->panel(0)->width(), 400);
        QCOMPARE(window->sqlEquipment.recNo(), 0);
        QVERIFY(!window->srcEquipmernt.autoEdit());
        QVERIFY(!app::frmPleaseWait || !app::frmPleaseWait->isVisible());
        QCOMPARE(QFileInfo("../Vantrel.INI").exists(), true); // written on first start
        QCOMPARE(warnings.value(0), QString("..\\Vantrel.INI not found, default one created."));
    }

    // The windows made while the main window is first shown are destroyed once they are
    // done with, not kept until the program ends: the title screen with its timer thread
    // (however it was closed) and the loading notice. The start-up runs, as in the
    // program, before any event loop.
    void startUpWindowsAreReleased_data() {
        QTest::addColumn<int>("exit");
        QTest::newRow("Start") << int(TitleExit::Start);
        QTest::newRow("close box") << int(TitleExit::CloseBox);
    }
    void startUpWindowsAreReleased() {
        QFETCH(int, exit);
        window.reset();
        QPointer<dialogs::TfrmTitle> title;
        bool dismissed = false;
        pressStartWhenTitleShows(TitleExit(exit), [&](dialogs::TfrmTitle *shown) {
            title = shown;
            dismissed = true;
        });
        window = std::make_unique<TfrmMain>();
        window->show();
        QVERIFY(dismissed);
        QVERIFY2(title.isNull(), "the title screen still exists");
        QVERIFY(!dialogs::frmTitle);
        QVERIFY2(app::frmPleaseWait.isNull(), "the loading notice still exists");
        QVERIFY(window->sqlEquipment.active());
    }

    // Clicking a navigator button leaves the keyboard focus where it was.
    void navigatorsNeverTakeTheFocus_data() {
        QTest::addColumn<QString>("focused");
        QTest::addColumn<QString>("navigator");
        QTest::addColumn<int>("button");
        QTest::newRow("search box, Next") << "edSearch"
                                          << "DBNavigatorSpec2" << int(controls::nbNext);
        QTest::newRow("grid, Edit") << "DBGrid1"
                                    << "DBNavigatorSpec1" << int(controls::nbEdit);
        QTest::newRow("Name, Set Bookmark") << "Name"
                                            << "DBNavigatorSpec4" << int(controls::nbMark);
        QTest::newRow("Era, Last") << "Era"
                                   << "DBNavigatorSpec2" << int(controls::nbLast);
    }
    void navigatorsNeverTakeTheFocus() {
        QFETCH(QString, focused);
        QFETCH(QString, navigator);
        QFETCH(int, button);
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QWidget *widget = window->editorFor(focused);
        if (!widget)
            widget = window->Client->findChild<QWidget *>(focused);
        QVERIFY(widget);
        widget->setFocus(Qt::MouseFocusReason);
        QCOMPARE(QApplication::focusWidget(), widget);
        auto *nav = window->Client->findChild<controls::TDBNavigatorSpec *>(navigator);
        QTest::mouseClick(nav->button(controls::TNavigateBtn(button)), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), widget);
    }

    // Typing goes on in the search box after a navigator button was pressed.
    void searchBoxKeepsTypingAfterANavigatorClick() {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTest::mouseClick(window->edSearch, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::keyClicks(QApplication::focusWidget(), "ab");
        QTest::mouseClick(window->DBNavigatorSpec2->button(controls::nbNext), Qt::LeftButton);
        QTest::keyClicks(QApplication::focusWidget(), "xyz");
        QCOMPARE(window->edSearch->text(), QString("abxyz"));
    }

    // With the grid focused, New and then a click into an editor of the detail panel keeps
    // the new row: typing goes into it and Post stores it. An untouched new row is dropped
    // when the user leaves the grid and the panel, or moves to another row.
    void newRowFromTheGridKeptInTheDetailPanel_data() {
        QTest::addColumn<QString>("then");
        QTest::addColumn<bool>("kept");
        QTest::newRow("type and post") << "type" << true;
        QTest::newRow("a button of the panel") << "button" << true;
        QTest::newRow("back to the grid") << "grid" << true;
        QTest::newRow("the search box") << "search" << false;
        QTest::newRow("another row") << "row" << false;
    }
    void newRowFromTheGridKeptInTheDetailPanel() {
        QFETCH(QString, then);
        QFETCH(bool, kept);
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        const int rows = window->sqlEquipment.recordCount();
        const QRect cell = window->DBGrid1->visualRect(window->DBGrid1->model()->index(1, 2));
        QTest::mouseClick(window->DBGrid1->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(QApplication::focusWidget(), window->DBGrid1);
        QTest::mouseClick(window->DBNavigatorSpec1->button(controls::nbInsert), Qt::LeftButton);
        QCOMPARE(window->sqlEquipment.state(), db::DataSetState::Insert);
        QWidget *name = window->editorFor("Name");
        QTest::mouseClick(name, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(QApplication::focusWidget(), name);
        QCOMPARE(window->sqlEquipment.state(), db::DataSetState::Insert);
        if (then == "type") {
            QTest::keyClicks(name, "Zapper");
            QTest::mouseClick(window->DBNavigatorSpec3->button(controls::nbPost), Qt::LeftButton);
            QCOMPARE(window->sqlEquipment.state(), db::DataSetState::Browse);
            QCOMPARE(window->sqlEquipment.recordCount(), rows + 1);
            QCOMPARE(
                catalogue->scalar("SELECT COUNT(*) FROM Equipment WHERE Name = 'Zapper'").toInt(),
                1);
            return;
        }
        if (then == "button")
            window->cmdFireSound->setFocus(Qt::TabFocusReason);
        else if (then == "grid")
            window->DBGrid1->setFocus(Qt::TabFocusReason);
        else if (then == "search")
            QTest::mouseClick(window->edSearch, Qt::LeftButton, {}, QPoint(5, 5));
        else
            QTest::mouseClick(
                window->DBGrid1->viewport(), Qt::LeftButton, {},
                window->DBGrid1->visualRect(window->DBGrid1->model()->index(4, 2)).center());
        QCOMPARE(window->sqlEquipment.state(),
                 kept ? db::DataSetState::Insert : db::DataSetState::Browse);
        QCOMPARE(window->sqlEquipment.recordCount(), kept ? rows + 1 : rows);
    }

    // Menus open with Alt and their letter or F10, and name their keys.
    void menusForTheKeyboard() {
        QStringList titles;
        for (QAction *menu : window->MainMenu1->actions())
            titles << menu->text();
        QCOMPARE(titles, QStringList({"&Files", "&View", "H&istory", "&Help"}));
        QCOMPARE(window->Quit1->shortcut(), QKeySequence("Ctrl+Q"));
        QCOMPARE(window->Refresh1->text(), QString("&Refresh"));
        QCOMPARE(window->Refresh1->shortcut(), QKeySequence("F5"));
        QCOMPARE(window->Find1->shortcut(), QKeySequence("Ctrl+F"));
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        window->DBGrid1->setFocus();
        QTest::keyClick(window->DBGrid1, Qt::Key_F10);
        auto *files = qobject_cast<QMenu *>(window->Print1->associatedObjects().value(0));
        QVERIFY(files);
        QTRY_VERIFY(files->isVisible());
        files->hide();
    }

    // The navigators' pop-up tips name the keys; the status bar keeps the plain hint.
    void navigatorTipsNameTheKeys() {
        controls::TNavButton *edit = window->DBNavigatorSpec1->button(controls::nbEdit);
        QCOMPARE(edit->toolTip(), QString("Edit record (Ctrl+E or F2)"));
        QCOMPARE(controls::hintOf(edit), QString("Edit record"));
        QCOMPARE(window->DBNavigatorSpec3->button(controls::nbPost)->toolTip(),
                 QString("Post changes (Ctrl+S)"));
        QCOMPARE(window->DBNavigatorSpec1->button(controls::nbDelete)->toolTip(),
                 QString("Delete record (Ctrl+D)"));
    }

    // The record commands from the keyboard, wherever the focus is.
    void recordKeys_data() {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("state");
        QTest::newRow("Ctrl+E in the grid") << "DBGrid1" << QKeySequence("Ctrl+E") << "edit";
        QTest::newRow("Ctrl+E in Name") << "Name" << QKeySequence("Ctrl+E") << "edit";
        QTest::newRow("Ctrl+E in the search box") << "edSearch" << QKeySequence("Ctrl+E") << "edit";
        QTest::newRow("F2 in Name") << "Name" << QKeySequence("F2") << "edit";
        QTest::newRow("F2 in the grid does nothing") << "DBGrid1" << QKeySequence("F2") << "browse";
        QTest::newRow("Ctrl+N in the grid") << "DBGrid1" << QKeySequence("Ctrl+N") << "insert";
        QTest::newRow("Ctrl+N in Kind") << "Kind" << QKeySequence("Ctrl+N") << "insert";
    }
    void recordKeys() {
        QFETCH(QString, focus);
        QFETCH(QKeySequence, keys);
        QFETCH(QString, state);
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QWidget *widget = window->editorFor(focus);
        if (!widget)
            widget = window->Client->findChild<QWidget *>(focus);
        widget->setFocus(Qt::TabFocusReason);
        QTest::keySequence(QApplication::focusWidget(), keys);
        const db::DataSetState expected = state == "edit"     ? db::DataSetState::Edit
                                          : state == "insert" ? db::DataSetState::Insert
                                                              : db::DataSetState::Browse;
        QCOMPARE(window->sqlEquipment.state(), expected);
    }

    // Edit, type, Esc restores the field, a second Esc cancels the edit; Ctrl+S posts.
    void editCycleFromTheKeyboard() {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        const QString before = window->sqlEquipment.fieldByName("Name")->asString();
        auto *name = qobject_cast<QLineEdit *>(window->editorFor("Name"));
        name->setFocus(Qt::TabFocusReason);
        QTest::keySequence(name, QKeySequence("Ctrl+E"));
        QCOMPARE(window->sqlEquipment.state(), db::DataSetState::Edit);
        QTest::keyClick(name, Qt::Key_End);
        QTest::keyClicks(name, " Mk2");
        QTest::keyClick(name, Qt::Key_Escape);
        QCOMPARE(name->text(), before);
        QCOMPARE(window->sqlEquipment.state(), db::DataSetState::Edit);
        QTest::keyClick(name, Qt::Key_Escape);
        QCOMPARE(window->sqlEquipment.state(), db::DataSetState::Browse);

        QTest::keySequence(name, QKeySequence("Ctrl+E"));
        QTest::keyClick(name, Qt::Key_End);
        QTest::keyClicks(name, " Mk2");
        QTest::keySequence(name, QKeySequence("Ctrl+S"));
        QCOMPARE(window->sqlEquipment.state(), db::DataSetState::Browse);
        QCOMPARE(catalogue->scalar("SELECT Name FROM Equipment ORDER BY Number LIMIT 1").toString(),
                 before + " Mk2");
    }

    // A Post refused because another program changed the row: moving on asks whether to
    // store the typed values anyway, drop them or stay; Esc and Enter stay, the edit kept.
    void refusedEditAsksBeforeMovingOn_data() {
        QTest::addColumn<QString>("answer"); // a key, or the button clicked
        QTest::addColumn<QString>("stored"); // the row's Name afterwards
        QTest::addColumn<bool>("moved");
        QTest::newRow("Esc stays") << "Esc"
                                   << "theirs" << false;
        QTest::newRow("Enter stays") << "Enter"
                                     << "theirs" << false;
        QTest::newRow("Discard") << "&Discard"
                                 << "theirs" << true;
        QTest::newRow("Post anyway") << "&Post"
                                     << "mine" << true;
    }
    void refusedEditAsksBeforeMovingOn() {
        QFETCH(QString, answer);
        QFETCH(QString, stored);
        QFETCH(bool, moved);
        ReportRecorder reports;
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        db::DataSet &set = window->sqlEquipment;
        const qint64 key = set.bookmark().toLongLong();
        auto *name = qobject_cast<QLineEdit *>(window->editorFor("Name"));
        name->setFocus(Qt::TabFocusReason);
        QTest::keySequence(name, QKeySequence("Ctrl+E"));
        name->selectAll();
        QTest::keyClicks(name, "mine");
        catalogue->scalar(
            QStringLiteral("UPDATE Equipment SET Name = 'theirs' WHERE Number = %1").arg(key));
        QTest::keySequence(name, QKeySequence("Ctrl+S"));
        QCOMPARE(set.state(), db::DataSetState::Edit);
        QVERIFY2(reports.reports.join(' ').contains("Another program changed this row"),
                 qPrintable(reports.reports.join('|')));

        QTimer::singleShot(0, [answer] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            QCOMPARE(box->windowTitle(), QStringLiteral("Confirm"));
            if (answer == QLatin1String("Esc") || answer == QLatin1String("Enter")) {
                QTest::keyClick(box,
                                answer == QLatin1String("Esc") ? Qt::Key_Escape : Qt::Key_Return);
                return;
            }
            for (QAbstractButton *button : box->buttons())
                if (button->text() == answer)
                    button->click();
        });
        QTest::mouseClick(window->DBNavigatorSpec2->button(controls::nbNext), Qt::LeftButton);
        QCOMPARE(
            catalogue
                ->scalar(QStringLiteral("SELECT Name FROM Equipment WHERE Number = %1").arg(key))
                .toString(),
            stored);
        QCOMPARE(set.bookmark().toLongLong() != key, moved);
        if (!moved) {
            QCOMPARE(set.state(), db::DataSetState::Edit);
            QCOMPARE(name->text(), QStringLiteral("mine"));
        }
    }

    // Ctrl+D asks before it deletes, as the navigator's Delete does.
    void deleteKeyAsks() {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        const int rows = window->sqlEquipment.recordCount();
        window->DBGrid1->setFocus();
        SeenBox seen;
        answerNextBox(Qt::Key_Escape, &seen);
        QTest::keySequence(window->DBGrid1, QKeySequence("Ctrl+D"));
        QVERIFY(seen.shown);
        QCOMPARE(seen.text, QString("Delete record?"));
        QCOMPARE(window->sqlEquipment.recordCount(), rows);
    }

    // F5 reads the rows again as another program stored them; the row stays current.
    void refreshKey() {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        window->sqlEquipment.setRecNo(2);
        const QVariant number = window->sqlEquipment.fieldByName("Number")->value();
        QVERIFY(catalogue->exec({QString("UPDATE Equipment SET Name = 'Renamed' WHERE Number = %1")
                                     .arg(number.toInt())}));
        window->DBGrid1->setFocus();
        QTest::keyClick(window->DBGrid1, Qt::Key_F5);
        QCOMPARE(window->sqlEquipment.fieldByName("Number")->value(), number);
        QCOMPARE(qobject_cast<QLineEdit *>(window->editorFor("Name"))->text(), QString("Renamed"));
    }

    // Ctrl+F goes to the search box; Ctrl+Tab leaves the grid, where Tab stays; Ctrl+Q ends.
    void focusKeys() {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        window->DBGrid1->setFocus();
        QTest::keyClick(window->DBGrid1, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), window->DBGrid1);
        QTest::keyClick(window->DBGrid1, Qt::Key_Tab, Qt::ControlModifier);
        QVERIFY(QApplication::focusWidget() != window->DBGrid1);
        QVERIFY(window->Panel1->isAncestorOf(QApplication::focusWidget()));
        QTest::keySequence(QApplication::focusWidget(), QKeySequence("Ctrl+F"));
        QCOMPARE(QApplication::focusWidget(), window->edSearch);
        window->DBGrid1->setFocus();
        QTest::keyClick(window->DBGrid1, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(QApplication::focusWidget() != window->DBGrid1);
        QTest::keySequence(QApplication::focusWidget(), QKeySequence("Ctrl+Q"));
        QVERIFY(!window->isVisible());
    }

    // Tab walks the Internal Info group as it reads: Code, Icon, the two play buttons,
    // then the two sound names.
    void tabOrderOfTheSoundControls() {
        QStringList order;
        QWidget *start = window->editorFor("Code");
        QWidget *w = start;
        do {
            if (w->focusPolicy() & Qt::TabFocus && w->isEnabled())
                order << w->objectName();
            w = w->nextInFocusChain();
        } while (w != start && order.size() < 6);
        QCOMPARE(order,
                 QStringList({"Code", "Icon", "cmdFireSound", "Button1", "DBEdit6", "DBEdit7"}));
    }

    // Every control of a group stays clear of the group's frame (two free pixels inside
    // its lines), and every check box and label shows its whole text.
    void controlsStayInsideTheirGroups() {
        QStringList offenders;
        for (QGroupBox *group : window->detailPanel().groups) {
            // The frame's lines run one and two pixels inside the right and bottom edges.
            const QRect inside(2, 2, group->width() - 6, group->height() - 6);
            for (QWidget *child : group->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
                if (child->inherits("QFrame") && !child->inherits("QLabel") &&
                    !child->inherits("QGroupBox"))
                    continue; // a bevel line
                const bool clipped = (child->inherits("QLabel") || child->inherits("QCheckBox")) &&
                                     child->sizeHint().width() > child->width();
                if (!inside.contains(child->geometry()) || clipped)
                    offenders << QString("%1 in %2: %3,%4 %5x%6 (needs %7)")
                                     .arg(child->objectName().isEmpty()
                                              ? child->property("text").toString()
                                              : child->objectName(),
                                          group->objectName())
                                     .arg(child->x())
                                     .arg(child->y())
                                     .arg(child->width())
                                     .arg(child->height())
                                     .arg(child->sizeHint().width());
            }
        }
        QVERIFY2(offenders.isEmpty(), qPrintable(offenders.join("; ")));
    }

    // A caption before its editor on the same line ends clear of the editor's box, whole.
    void captionsClearTheirEditors() {
        QStringList offenders;
        for (QLabel *label : window->detailPanel().labels) {
            QWidget *editor = label->buddy();
            if (!editor || label->x() >= editor->x() || qAbs(label->y() - editor->y() - 4) > 1)
                continue;
            if (label->x() + label->sizeHint().width() + 2 > editor->x() ||
                label->sizeHint().width() > label->width())
                offenders << QString("%1 ends at %2, its box begins at %3")
                                 .arg(label->text())
                                 .arg(label->x() + label->sizeHint().width())
                                 .arg(editor->x());
        }
        QVERIFY2(offenders.isEmpty(), qPrintable(offenders.join("; ")));
    }

    void topStrip_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("grid") << "DBGrid1" << QRect(4, 32, 777, 129);
        QTest::newRow("scroll box") << "ScrollBox1" << QRect(4, 164, 781, 357);
        QTest::newRow("New Delete Edit") << "DBNavigatorSpec1" << QRect(348, 4, 115, 25);
        QTest::newRow("moves") << "DBNavigatorSpec2" << QRect(4, 4, 229, 25);
        QTest::newRow("Post Cancel") << "DBNavigatorSpec3" << QRect(464, 4, 109, 25);
        QTest::newRow("bookmarks") << "DBNavigatorSpec4" << QRect(244, 4, 75, 25);
        QTest::newRow("search button") << "cmdSearch" << QRect(580, 4, 75, 25);
        QTest::newRow("search box") << "edSearch" << QRect(660, 6, 121, 21);
    }
    void topStrip() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        auto *widget = window->Client->findChild<QWidget *>(name);
        QVERIFY(widget);
        QCOMPARE(widget->geometry(), geometry);
    }

    void navigatorsAreBound() {
        using namespace controls;
        QCOMPARE(window->DBNavigatorSpec2->Jump(), 4);
        QCOMPARE(window->DBNavigatorSpec1->Jump(), 50);
        QCOMPARE(window->DBNavigatorSpec1->VisibleButtons(),
                 (TButtonSet{nbInsert, nbDelete, nbEdit}));
        QVERIFY(window->DBNavigatorSpec1->button(nbEdit)->isEnabled());
        QVERIFY(window->DBNavigatorSpec2->button(nbNext)->isEnabled());
        QVERIFY(!window->DBNavigatorSpec3->button(nbPost)->isEnabled());
        QCOMPARE(window->DBNavigatorSpec4->Hints().value(13), QString("Goto Bookmark"));
        QCOMPARE(window->DBNavigatorSpec1->focusPolicy(), Qt::NoFocus);
    }

    void gridColumns() {
        const auto &columns = window->DBGrid1->dataModel()->columns();
        QCOMPARE(int(columns.size()), 139);
        for (const auto &column : columns)
            QVERIFY(column.FieldName != "IsSwarm");
        QCOMPARE(columns[0].Title, QString("No"));
        // "No" is 20 wide, or as wide as the largest number needs.
        const QString largest = catalogue->scalar("SELECT MAX(Number) FROM Equipment").toString();
        const int needed = window->DBGrid1->fontMetrics().horizontalAdvance(largest) + 4;
        QVERIFY(window->DBGrid1->columnWidth(0) >= 20);
        QVERIFY(window->DBGrid1->columnWidth(0) >= needed);
        QVERIFY(window->DBGrid1->columnWidth(0) <= std::max(20, needed + 8));
        QCOMPARE(columns[4].Title, QString("Heat"));
        QCOMPARE(window->DBGrid1->columnWidth(5), 48); // DamageToTarget
        QCOMPARE(window->DBGrid1->model()->rowCount(), window->sqlEquipment.recordCount());
    }

    void detailPanelBindsEveryEditableColumn() {
        const auto &panel = window->detailPanel();
        QCOMPARE(window->Panel1->size(), QSize(761, 800));
        int groups = 0;
        for (QGroupBox *box : window->Panel1->findChildren<QGroupBox *>())
            groups += box->parentWidget() == window->Panel1 ? 1 : 0;
        QCOMPARE(groups, 22);
        for (const data::EquipmentColumn &column : data::equipmentColumns()) {
            const QString name = QString::fromUtf8(column.name);
            QWidget *editor = panel.editors.value(name);
            if (column.kind == data::ColumnKind::ShownOnly && name != "Smoke") {
                QVERIFY2(!editor, qPrintable(name));
                continue;
            }
            QVERIFY2(editor, qPrintable(name));
            if (name != "Smoke")
                QCOMPARE(controls::hintOf(editor), QString::fromUtf8(column.hint));
            QVERIFY2(Qt::mightBeRichText(editor->toolTip()) || editor->toolTip().isEmpty(),
                     "no pop-up tips on editors");
        }
        QCOMPARE(panel.editors.size(), 138); // 137 columns and the Smoke type box
        QCOMPARE(controls::hintOf(panel.editors.value("Smoke")),
                 QString("Type of smoke produced on impact. "));
    }

    void chamberEditsFollowTheFormula_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("1") << 1 << QRect(8, 16, 73, 21);
        QTest::newRow("8") << 8 << QRect(540, 16, 73, 21);
        QTest::newRow("9") << 9 << QRect(8, 40, 73, 21);
        QTest::newRow("32") << 32 << QRect(540, 88, 73, 21);
    }
    void chamberEditsFollowTheFormula() {
        QFETCH(int, number);
        QFETCH(QRect, geometry);
        QWidget *edit = window->editorFor(QString("Chamber%1").arg(number));
        QVERIFY(edit);
        QCOMPARE(edit->geometry(), geometry);
    }

    void fonts() {
        auto *group = window->detailPanel().groups.value("Heat and Damage");
        auto *nested = window->detailPanel().groups.value("Heat and Damage/To User");
        QVERIFY(group->font().bold() && !group->font().italic());
        QVERIFY(nested->font().italic() && !nested->font().bold());
        QCOMPARE(group->title(), QString(" Heat and Damage "));
        QVERIFY(window->editorFor("Name")->font().bold());
        auto *checkBox = window->editorFor("NeedLOS");
        QVERIFY(!checkBox->font().bold());
        QCOMPARE(window->font().pixelSize(), 11);
    }

    void hintFollowsThePointer_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<QString>("hint");
        const QString toHit = "Keep in mind that all these bonuses are in addition to the "
                              "normal bonuses or penalties.";
        QTest::newRow("an editor") << "Name" << QPoint(5, 5) << "The name of the equipment";
        QTest::newRow("its caption label")
            << "label:Name" << QPoint(2, 2) << "The name of the equipment";
        QTest::newRow("the fire roll's label")
            << "label:Roll for fire" << QPoint(2, 2)
            << "What must be rolled on 2D6 to start a fire? (0: never, 1: always)";
        QTest::newRow("a unit label") << "label:Quorins" << QPoint(2, 2) << "Cost in Quorins";
        QTest::newRow("a group without hint") << "group:Name" << QPoint(745, 50) << "";
        QTest::newRow("a group's own hint") << "group:To-Hit Bonuses" << QPoint(315, 100) << toHit;
        QTest::newRow("a nested group takes its parent's")
            << "group:To-Hit Bonuses/User" << QPoint(90, 150) << toHit;
        QTest::newRow("the window itself") << "client" << QPoint(300, 525) << "";
        QTest::newRow("a navigator button") << "nav" << QPoint(5, 5) << "Beggining of file";
        QTest::newRow("the search box")
            << "edSearch" << QPoint(5, 5) << "Enter part of Name or Abbreviation to search for";
    }
    void hintFollowsThePointer() {
        QFETCH(QString, target);
        QFETCH(QPoint, pos);
        QFETCH(QString, hint);
        QWidget *widget = nullptr;
        if (target.startsWith("label:")) {
            for (QLabel *label : window->detailPanel().labels)
                if (label->text() == target.mid(6))
                    widget = label;
        } else if (target.startsWith("group:")) {
            widget = window->detailPanel().groups.value(target.mid(6));
        } else if (target == "client") {
            widget = window->Client;
        } else if (target == "nav") {
            widget = window->DBNavigatorSpec2->button(controls::nbFirst);
        } else if (target == "edSearch") {
            widget = window->edSearch;
        } else {
            widget = window->editorFor(target);
        }
        QVERIFY(widget);
        window->ScrollBox1->ensureWidgetVisible(widget, 0, 0);
        // start from a control with another hint, so that a change must follow
        pointAt(window->cmdSearch, QPoint(3, 3));
        QCOMPARE(panelText(), QString("Start searching for the Name or Abbreviation "));
        pointAt(widget, pos);
        QCOMPARE(panelText(), hint);
    }

    void hintChangesOnlyOnRealChange() {
        int changes = 0;
        // The counter lives on this stack frame: the connection must end with it.
        QObject listener;
        connect(controls::ApplicationHint::instance(), &controls::ApplicationHint::hintChanged,
                &listener, [&] { ++changes; });
        QWidget *name = window->editorFor("Name");
        pointAt(name, QPoint(3, 3));
        pointAt(name, QPoint(8, 4));
        pointAt(name, QPoint(20, 6));
        QCOMPARE(changes, 1);
        QCOMPARE(panelText(), QString("The name of the equipment"));
    }

    void menuItemsShowTheirHints() {
        QMenu *files = window->Quit1->associatedObjects().isEmpty()
                           ? nullptr
                           : qobject_cast<QMenu *>(window->Quit1->associatedObjects().first());
        QVERIFY(files);
        files->popup(window->mapToGlobal(QPoint(0, 20)));
        QVERIFY(QTest::qWaitForWindowExposed(files));
        files->setActiveAction(window->Quit1);
        QCOMPARE(panelText(), QString("Exit the program"));
        files->setActiveAction(window->Print1);
        QCOMPARE(panelText(), QString());
        files->setActiveAction(window->Quit1);
        files->hide();
        QCOMPARE(panelText(), QString()); // closing the menu empties it
    }

    void formResize_data() {
        QTest::addColumn<int>("outer");
        QTest::addColumn<int>("scrollHeight");
        QTest::newRow("200 leaves it") << 200 << 357;
        QTest::newRow("201 leaves no visible area") << 201 << 0; // 201 - 164 - 73 < 0
        QTest::newRow("238 shows it again") << 238 << 1;
        QTest::newRow("design height") << 594 << 357;
        QTest::newRow("taller") << 700 << 463;
    }
    void formResize() {
        QFETCH(int, outer);
        QFETCH(int, scrollHeight);
        window->setOuterHeight(outer);
        QCOMPARE(window->outerHeight(), outer);
        QCOMPARE(window->ScrollBox1->height(), scrollHeight);
        QCOMPARE(window->ScrollBox1->width(), 781);
        QCOMPARE(window->DBGrid1->width(), 777);
    }

    void enterInSearchBoxStartsNothing() {
        const int all = window->sqlEquipment.recordCount();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        window->edSearch->setFocus();
        QTest::keyClicks(window->edSearch, "  Kestrel ");
        QTest::keyClick(window->edSearch, Qt::Key_Return);
        QCOMPARE(window->sqlEquipment.recordCount(), all);
        QCOMPARE(window->cmdSearch->shortcut(), QKeySequence("Alt+S"));
        QTest::mouseClick(window->cmdSearch, Qt::LeftButton);
        QCOMPARE(window->edSearch->text(), QString("Kestrel"));
        QVERIFY(window->sqlEquipment.recordCount() < all);
        QVERIFY(window->sqlEquipment.recordCount() > 0);
        QCOMPARE(window->DBGrid1->model()->rowCount(), window->sqlEquipment.recordCount());
        QVERIFY(!QApplication::overrideCursor());
    }

    void closingDropsAPendingRow() {
        const QString before = window->sqlEquipment.fieldByName("Name")->asString();
        window->DBNavigatorSpec1->BtnClick(controls::nbEdit);
        auto *name = qobject_cast<QLineEdit *>(window->editorFor("Name"));
        QVERIFY(!name->isReadOnly());
        name->setFocus();
        QTest::keyClicks(name, " changed");
        window->close();
        QVERIFY(!window->sqlEquipment.active());
        QCOMPARE(catalogue->scalar("SELECT Name FROM Equipment ORDER BY Number LIMIT 1").toString(),
                 before);
    }

    void editorsAreReadOnlyWhileBrowsing() {
        for (QWidget *editor : window->detailPanel().editors) {
            if (auto *edit = qobject_cast<QLineEdit *>(editor))
                QVERIFY2(edit->isReadOnly(), qPrintable(editor->objectName()));
        }
        window->DBNavigatorSpec1->BtnClick(controls::nbEdit);
        for (QWidget *editor : window->detailPanel().editors) {
            if (auto *edit = qobject_cast<QLineEdit *>(editor))
                QVERIFY2(!edit->isReadOnly(), qPrintable(editor->objectName()));
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
