// The data-aware edit, check box, drop-down box and grid over a live table whose data
// source does not start editing by itself.
#include "controls/DBCheckBox.h"
#include "controls/DBComboBox.h"
#include "controls/DBEdit.h"
#include "controls/DBGrid.h"
#include "main_support.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace controls;

namespace {

// A window with one control of each kind bound to the first row of a small table, and a
// plain edit to move the focus to.
struct Form {
    explicit Form(int rows = 3) : table(rows) {
        auto *layout = new QVBoxLayout(&window);
        edit = new TDBEdit;
        edit->setDataField("Amount");
        name = new TDBEdit;
        name->setDataField("Name");
        check = new TDBCheckBox("Flag", nullptr);
        check->setDataField("Flag");
        combo = new TDBComboBox;
        combo->setItems({"Weapon", "Ammo", "Equipment"});
        combo->setDataField("Name");
        grid = new TDBGrid;
        grid->setColumns({{"Id", "No", 20}, {"Name", "Name", 80}, {"Amount", "Amount", 40}});
        other = new QLineEdit;
        for (QWidget *w : std::initializer_list<QWidget *>{edit, name, check, combo, grid, other})
            layout->addWidget(w);
        edit->setDataSource(&table.source);
        name->setDataSource(&table.source);
        check->setDataSource(&table.source);
        combo->setDataSource(&table.source);
        grid->setDataSource(&table.source);
        table.dataSet.open();
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qFatal("window not exposed");
    }
    ItemTable table;
    QWidget window;
    TDBEdit *edit, *name;
    TDBCheckBox *check;
    TDBComboBox *combo;
    TDBGrid *grid;
    QLineEdit *other;
};

void leaveTo(QWidget *target) {
    target->setFocus(Qt::MouseFocusReason);
    QCoreApplication::processEvents();
}

} // namespace

class TestDBControls : public QObject {
    Q_OBJECT

private slots:
    void typingWhileBrowsingChangesNothing_data() {
        QTest::addColumn<QString>("control");
        QTest::newRow("edit") << "edit";
        QTest::newRow("combo box") << "combo";
    }
    void typingWhileBrowsingChangesNothing() {
        QFETCH(QString, control);
        ReportRecorder recorder;
        Form form;
        QWidget *target = control == "edit" ? static_cast<QWidget *>(form.name) : form.combo;
        target->setFocus();
        QTest::keyClicks(target, "xyz");
        QTest::keyClick(target, Qt::Key_Down); // no stepping through the list either
        QCOMPARE(form.name->text(), QString("item 1"));
        QCOMPARE(form.combo->currentText(), QString("item 1"));
        leaveTo(form.other);
        QCOMPARE(recorder.reports, QStringList());
        QCOMPARE(form.table.dataSet.state(), db::DataSetState::Browse);

        // after Edit the same keys change the field, and Post stores it
        form.table.dataSet.edit();
        target->setFocus();
        QTest::keyClick(target, Qt::Key_End);
        QTest::keyClicks(target, "xyz");
        leaveTo(form.other);
        form.table.dataSet.post();
        QCOMPARE(form.table.stored("Name", 1).toString(), QString("item 1xyz"));
    }

    void postTakesTheTypedText() {
        Form form;
        form.table.dataSet.edit();
        form.edit->setFocus();
        form.edit->selectAll();
        QTest::keyClicks(form.edit, "42");
        form.table.dataSet.post(); // while the edit still has the focus
        QCOMPARE(form.table.stored("Amount", 1).toInt(), 42);
        QCOMPARE(form.edit->text(), QString("42"));
        QVERIFY(form.edit->isReadOnly());
    }

    void emptyNumberStoresNull() {
        Form form;
        form.table.dataSet.edit();
        form.edit->setFocus();
        form.edit->selectAll();
        QTest::keyClick(form.edit, Qt::Key_Delete);
        form.table.dataSet.post();
        QVERIFY(form.table.stored("Amount", 1).isNull());
    }

    void conversionErrorKeepsTheFocus() {
        ReportRecorder recorder;
        Form form;
        form.table.dataSet.edit();
        form.edit->setFocus();
        form.edit->selectAll();
        QTest::keyClicks(form.edit, "abc");
        leaveTo(form.other);
        QTRY_COMPARE(recorder.reports.size(), 1);
        QCOMPARE(recorder.reports.first(),
                 QString("'abc' is not a valid integer value for field 'Amount'."));
        QVERIFY(form.edit->hasFocus());
        QCOMPARE(form.edit->selectedText(), QString("abc"));
        QCOMPARE(form.table.dataSet.state(), db::DataSetState::Edit);
        // Esc brings the stored value back
        QTest::keyClick(form.edit, Qt::Key_Escape);
        QCOMPARE(form.edit->text(), QString("1"));
    }

    // A value out of range is named as typed, under the caption the control gives its
    // column, also after the dataset was opened again.
    void conversionErrorNamesTheCaption() {
        ReportRecorder recorder;
        Form form;
        form.edit->setDisplayLabel("Amount per shot");
        form.table.dataSet.close();
        form.table.dataSet.open();
        form.table.dataSet.edit();
        form.edit->setFocus();
        form.edit->selectAll();
        QTest::keyClicks(form.edit, "2147483647");
        leaveTo(form.other);
        QTRY_COMPARE(recorder.reports.size(), 1);
        QCOMPARE(recorder.reports.first(),
                 QString("2147483647 is not a valid value for field 'Amount per shot'. The "
                         "allowed range is -32768 to 32767."));
    }

    // Esc first restores what was typed; with nothing to restore it cancels the edit.
    void escapeRestoresThenCancels_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("types");
        QTest::newRow("edit") << "edit" << true;
        QTest::newRow("combo box") << "combo" << true;
        QTest::newRow("check box") << "check" << false;
    }
    void escapeRestoresThenCancels() {
        QFETCH(QString, control);
        QFETCH(bool, types);
        Form form;
        QWidget *target = control == "edit"    ? static_cast<QWidget *>(form.name)
                          : control == "combo" ? static_cast<QWidget *>(form.combo)
                                               : static_cast<QWidget *>(form.check);
        form.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form.window));
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Escape); // browsing: nothing to cancel
        QCOMPARE(form.table.dataSet.state(), db::DataSetState::Browse);
        form.table.dataSet.edit();
        if (types) {
            QTest::keyClick(target, Qt::Key_End);
            QTest::keyClicks(target, "xyz");
            QTest::keyClick(target, Qt::Key_Escape);
            QCOMPARE(form.name->text(), QString("item 1"));
            QCOMPARE(form.table.dataSet.state(), db::DataSetState::Edit);
        }
        QTest::keyClick(target, Qt::Key_Escape);
        QCOMPARE(form.table.dataSet.state(), db::DataSetState::Browse);
        QCOMPARE(form.table.stored("Name", 1).toString(), QString("item 1"));
    }

    void checkBoxStates_data() {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("state");
        QTest::newRow("empty text") << "Flag"
                                    << "NULL" << int(Qt::PartiallyChecked);
        QTest::newRow("true in lower case") << "Flag"
                                            << "'true'" << int(Qt::Checked);
        QTest::newRow("False") << "Flag"
                               << "'False'" << int(Qt::Unchecked);
        QTest::newRow("yes is grey") << "Flag"
                                     << "'yes'" << int(Qt::PartiallyChecked);
        QTest::newRow("logical true") << "Ok"
                                      << "1" << int(Qt::Checked);
        QTest::newRow("logical false") << "Ok"
                                       << "0" << int(Qt::Unchecked);
        QTest::newRow("logical empty") << "Ok"
                                       << "NULL" << int(Qt::PartiallyChecked);
    }
    void checkBoxStates() {
        QFETCH(QString, column);
        QFETCH(QString, stored);
        QFETCH(int, state);
        Form form;
        form.table.catalogue.exec({QString("UPDATE Items SET %1 = %2").arg(column, stored)});
        form.check->setDataField(column);
        form.table.dataSet.close();
        form.table.dataSet.open();
        QCOMPARE(int(form.check->checkState()), state);
    }

    void checkBoxCycle_data() {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QStringList>("storedAfterClicks");
        QTest::newRow("text column") << "Flag" << QStringList{"True", "False", "True"};
        QTest::newRow("logical column") << "Ok" << QStringList{"1", "0", "1"};
    }
    void checkBoxCycle() {
        QFETCH(QString, column);
        QFETCH(QStringList, storedAfterClicks);
        Form form;
        form.check->setDataField(column);
        QCOMPARE(form.check->checkState(), Qt::PartiallyChecked);
        form.check->click(); // browsing: nothing changes
        QTest::keyClick(form.check, Qt::Key_Space);
        QCOMPARE(form.check->checkState(), Qt::PartiallyChecked);
        QCOMPARE(form.table.dataSet.state(), db::DataSetState::Browse);

        const Qt::CheckState cycle[] = {Qt::Checked, Qt::Unchecked, Qt::Checked};
        for (int i = 0; i < 3; ++i) {
            form.table.dataSet.edit();
            form.check->click();
            QCOMPARE(form.check->checkState(), cycle[i]);
            form.table.dataSet.post();
            QCOMPARE(form.table.stored(column, 1).toString(), storedAfterClicks[i]);
        }
    }

    void greyBoxLeavesTheColumnEmpty() {
        Form form;
        form.table.dataSet.edit();
        form.table.dataSet.fieldByName("Name")->setAsString("touched");
        form.table.dataSet.post();
        QVERIFY(form.table.stored("Flag", 1).isNull());
    }

    void comboPickWhileBrowsingIsRefused() {
        ReportRecorder recorder;
        Form form;
        form.combo->setFocus();
        QMetaObject::invokeMethod(form.combo, "activated", Q_ARG(int, 1)); // a pick from the list
        QCOMPARE(form.combo->currentText(), QString("Ammo"));
        leaveTo(form.other);
        QTRY_COMPARE(recorder.reports, QStringList{"Dataset not in edit or insert mode."});
        QVERIFY(form.combo->hasFocus());
        QCOMPARE(form.combo->lineEdit()->selectedText(), QString("Ammo"));
        QCOMPARE(form.table.stored("Name", 1).toString(), QString("item 1"));

        // Esc brings back the stored value
        QTest::keyClick(form.combo, Qt::Key_Escape);
        QCOMPARE(form.combo->currentText(), QString("item 1"));
        leaveTo(form.other);
        QCOMPARE(recorder.reports.size(), 1);
    }

    // The row holds one of the box's entries. Leaving the box, or picking that same entry,
    // is no change: no error while browsing, and nothing to post while editing.
    void comboLeftWithoutChange_data() {
        QTest::addColumn<bool>("edit");
        QTest::addColumn<bool>("pickSame");
        QTest::newRow("browsing, left") << false << false;
        QTest::newRow("browsing, same entry picked") << false << true;
        QTest::newRow("editing, left") << true << false;
        QTest::newRow("editing, same entry picked") << true << true;
    }
    void comboLeftWithoutChange() {
        QFETCH(bool, edit);
        QFETCH(bool, pickSame);
        ReportRecorder recorder;
        Form form;
        form.table.dataSet.edit();
        form.table.dataSet.fieldByName("Name")->setAsString("Ammo");
        form.table.dataSet.post();
        QCOMPARE(form.combo->currentText(), QString("Ammo"));
        if (edit)
            form.table.dataSet.edit();
        form.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form.window));
        form.combo->setFocus(Qt::MouseFocusReason);
        QVERIFY(form.combo->hasFocus());
        if (pickSame)
            QMetaObject::invokeMethod(form.combo, "activated", Q_ARG(int, 1));
        leaveTo(form.other);
        QCoreApplication::processEvents();
        QCOMPARE(recorder.reports, QStringList());
        QVERIFY(form.other->hasFocus());
        QCOMPARE(form.combo->currentText(), QString("Ammo"));
        QVERIFY(!form.table.dataSet.modified());
    }

    void comboPickUndoneByEditOrRowChange_data() {
        QTest::addColumn<bool>("edit");
        QTest::newRow("Edit") << true;
        QTest::newRow("another row") << false;
    }
    void comboPickUndoneByEditOrRowChange() {
        QFETCH(bool, edit);
        Form form;
        QMetaObject::invokeMethod(form.combo, "activated", Q_ARG(int, 1));
        if (edit) {
            form.table.dataSet.edit();
            QCOMPARE(form.combo->currentText(), QString("item 1"));
            // only after Edit does a pick stay
            QMetaObject::invokeMethod(form.combo, "activated", Q_ARG(int, 2));
            form.table.dataSet.post();
            QCOMPARE(form.table.stored("Name", 1).toString(), QString("Equipment"));
        } else {
            form.table.dataSet.next();
            QCOMPARE(form.combo->currentText(), QString("item 2"));
        }
    }

    void comboStoresTypedValue() {
        Form form;
        form.table.dataSet.edit();
        form.combo->setFocus();
        form.combo->lineEdit()->selectAll();
        QTest::keyClicks(form.combo, "Plasma Thing");
        QTest::keyClick(form.combo, Qt::Key_Return);
        form.table.dataSet.post();
        QCOMPARE(form.table.stored("Name", 1).toString(), QString("Plasma Thing"));
        QCOMPARE(form.combo->count(), 3); // the list is not extended
    }

    void gridKeys_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("row");
        QTest::newRow("Down") << 0 << int(Qt::Key_Down) << 1;
        QTest::newRow("Right") << 0 << int(Qt::Key_Right) << 1;
        QTest::newRow("Up") << 5 << int(Qt::Key_Up) << 4;
        QTest::newRow("Left") << 5 << int(Qt::Key_Left) << 4;
        QTest::newRow("End") << 0 << int(Qt::Key_End) << 29;
        QTest::newRow("Home") << 7 << int(Qt::Key_Home) << 0;
        QTest::newRow("Insert does nothing") << 3 << int(Qt::Key_Insert) << 3;
        QTest::newRow("F2 does nothing") << 3 << int(Qt::Key_F2) << 3;
    }
    void gridKeys() {
        QFETCH(int, start);
        QFETCH(int, key);
        QFETCH(int, row);
        Form form(30);
        form.table.dataSet.setRecNo(start);
        form.grid->setFocus();
        QTest::keyClick(form.grid, Qt::Key(key));
        QCOMPARE(form.table.dataSet.recNo(), row);
        QCOMPARE(form.table.dataSet.state(), db::DataSetState::Browse);
        QCOMPARE(form.grid->selectionModel()->selectedRows().value(0).row(), row);
    }

    void gridPagesByVisibleRows() {
        Form form(60);
        form.grid->setFocus();
        const int page = form.grid->visibleRowCount();
        QVERIFY(page > 1);
        QTest::keyClick(form.grid, Qt::Key_PageDown);
        QCOMPARE(form.table.dataSet.recNo(), page);
        QTest::keyClick(form.grid, Qt::Key_PageUp);
        QCOMPARE(form.table.dataSet.recNo(), 0);
    }

    void gridShowsRowsAndClickMakesCurrent() {
        Form form(10);
        QCOMPARE(form.grid->model()->rowCount(), 10);
        QCOMPARE(form.grid->model()->headerData(0, Qt::Horizontal).toString(), QString("No"));
        QCOMPARE(form.grid->model()->index(2, 1).data().toString(), QString("item 3"));
        QCOMPARE(form.grid->columnWidth(2), 40);
        const QRect cell = form.grid->visualRect(form.grid->model()->index(2, 1));
        QTest::mouseClick(form.grid->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(form.table.dataSet.recNo(), 2);
        QCOMPARE(form.name->text(), QString("item 3"));
    }

    // A click on a row makes it current at once, also when it activates the window; only a
    // control that refuses to be left (its text is no valid value) keeps the row.
    void gridClickMakesRowCurrent_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("row");
        QTest::newRow("grid focused") << "grid" << 4;
        QTest::newRow("another control focused") << "other" << 4;
        QTest::newRow("window not active") << "inactive" << 4;
        QTest::newRow("an edit refuses to be left") << "refusing" << 0;
    }
    void gridClickMakesRowCurrent() {
        QFETCH(QString, before);
        QFETCH(int, row);
        ReportRecorder recorder;
        Form form(10);
        form.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form.window));
        QWidget elsewhere;
        if (before == "grid") {
            form.grid->setFocus();
        } else if (before == "other") {
            form.other->setFocus();
        } else if (before == "inactive") {
            elsewhere.show();
            elsewhere.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
        } else {
            form.table.dataSet.edit();
            form.edit->setFocus();
            form.edit->selectAll();
            QTest::keyClicks(form.edit, "abc");
        }
        const QRect cell = form.grid->visualRect(form.grid->model()->index(4, 1));
        QTest::mouseClick(form.grid->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(form.table.dataSet.recNo(), row);
        QCOMPARE(form.grid->selectionModel()->selectedRows().value(0).row(), row);
        if (before == "refusing") {
            QTRY_COMPARE(recorder.reports.size(), 1);
            QVERIFY(form.edit->hasFocus());
        }
    }

    // A click on the row being edited is no move: the edit is neither posted nor dropped.
    void gridClickOnTheCurrentRowKeepsTheEdit() {
        Form form(5);
        form.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form.window));
        form.table.dataSet.setRecNo(2);
        form.table.dataSet.edit();
        form.edit->setFocus();
        form.edit->selectAll();
        QTest::keyClicks(form.edit, "42");
        const QRect cell = form.grid->visualRect(form.grid->model()->index(2, 1));
        QTest::mouseClick(form.grid->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(form.table.dataSet.state(), db::DataSetState::Edit);
        QCOMPARE(form.table.dataSet.recNo(), 2);
        QCOMPARE(form.table.stored("Amount", 3).toInt(), 3);
        QCOMPARE(form.edit->text(), QString("42"));
        form.table.dataSet.cancel();
        QCOMPARE(form.edit->text(), QString("3"));
    }

    // Ctrl+Tab and Ctrl+Shift+Tab leave the grid; plain Tab stays in it.
    void gridCtrlTabLeaves_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("focus");
        QTest::newRow("Tab") << int(Qt::Key_Tab) << int(Qt::NoModifier) << "grid";
        QTest::newRow("Shift+Tab") << int(Qt::Key_Backtab) << int(Qt::ShiftModifier) << "grid";
        QTest::newRow("Ctrl+Tab") << int(Qt::Key_Tab) << int(Qt::ControlModifier) << "other";
        QTest::newRow("Ctrl+Shift+Tab")
            << int(Qt::Key_Backtab) << int(Qt::ControlModifier | Qt::ShiftModifier) << "combo";
    }
    void gridCtrlTabLeaves() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, focus);
        Form form(3);
        form.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form.window));
        form.grid->setFocus();
        QTest::keyClick(form.grid, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QWidget *expected = focus == "grid"    ? static_cast<QWidget *>(form.grid)
                            : focus == "other" ? static_cast<QWidget *>(form.other)
                                               : static_cast<QWidget *>(form.combo);
        QWidget *now = QApplication::focusWidget();
        QVERIFY(now == expected || expected->isAncestorOf(now));
    }

    // The narrow column at the left marks the current row, whatever the state: only the
    // current row's cell holds dark pixels.
    void gridRowIndicatorMarksCurrentRow_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("state");
        QTest::newRow("browsing, first row") << 0 << "browse";
        QTest::newRow("browsing, third row") << 2 << "browse";
        QTest::newRow("editing") << 1 << "edit";
        QTest::newRow("new row") << 1 << "insert";
    }
    void gridRowIndicatorMarksCurrentRow() {
        QFETCH(int, row);
        QFETCH(QString, state);
        Form form(5);
        form.table.dataSet.setRecNo(row);
        if (state == "edit")
            form.table.dataSet.edit();
        else if (state == "insert")
            form.table.dataSet.insert();
        QHeaderView *indicator = form.grid->verticalHeader();
        QVERIFY(indicator->width() >= 9);
        const QImage image = indicator->grab().toImage();
        for (int r = 0; r < form.grid->model()->rowCount(); ++r) {
            const int top = indicator->sectionViewportPosition(r);
            int dark = 0;
            for (int y = top + 2; y < top + indicator->sectionSize(r) - 2; ++y)
                for (int x = 2; x < image.width() - 2; ++x)
                    dark += qGray(image.pixel(x, y)) < 80 ? 1 : 0;
            QVERIFY2((dark > 4) == (r == row),
                     qPrintable(QString("row %1: %2 dark pixels").arg(r).arg(dark)));
        }
    }

    void gridCtrlDeleteAsks_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("rowsAfter");
        QTest::newRow("OK") << int(Qt::Key_Return) << 2;
        QTest::newRow("Cancel") << int(Qt::Key_Escape) << 3;
    }
    void gridCtrlDeleteAsks() {
        QFETCH(int, key);
        QFETCH(int, rowsAfter);
        Form form(3);
        form.grid->setFocus();
        SeenBox seen;
        answerNextBox(key, &seen);
        QTest::keyClick(form.grid, Qt::Key_Delete, Qt::ControlModifier);
        QVERIFY(seen.shown);
        QCOMPARE(seen.caption, QString("Confirm"));
        QCOMPARE(seen.text, QString("Delete record?"));
        QCOMPARE(form.table.storedRows(), rowsAfter);
        QCOMPARE(form.grid->model()->rowCount(), rowsAfter);
        QTest::keyClick(form.grid, Qt::Key_Delete); // without Ctrl: nothing
        QCOMPARE(form.table.storedRows(), rowsAfter);
    }

    void gridDropsUntouchedNewRowWhenLeft_data() {
        QTest::addColumn<bool>("touched");
        QTest::addColumn<bool>("cancelOnExit");
        QTest::newRow("untouched") << false << true;
        QTest::newRow("touched") << true << true;
        QTest::newRow("untouched, dropping turned off") << false << false;
    }
    void gridDropsUntouchedNewRowWhenLeft() {
        QFETCH(bool, touched);
        QFETCH(bool, cancelOnExit);
        Form form(3);
        form.grid->setCancelOnExit(cancelOnExit);
        form.grid->setFocus();
        form.table.dataSet.insert();
        QCOMPARE(form.grid->model()->rowCount(), 4);
        if (touched)
            form.table.dataSet.fieldByName("Name")->setAsString("new");
        leaveTo(form.name);
        const bool kept = touched || !cancelOnExit;
        QCOMPARE(form.table.dataSet.state(),
                 kept ? db::DataSetState::Insert : db::DataSetState::Browse);
        QCOMPARE(form.grid->model()->rowCount(), kept ? 4 : 3);
    }

    // The key column grows to show the largest key whole, wherever the rows come from.
    void gridKeyColumnFitsTheLargestKey_data() {
        QTest::addColumn<int>("largest");
        QTest::newRow("two digits") << 12;
        QTest::newRow("four digits") << 1196;
        QTest::newRow("seven digits") << 1234567;
    }
    void gridKeyColumnFitsTheLargestKey() {
        QFETCH(int, largest);
        Form form(3);
        form.grid->setKeyColumn(0);
        QCOMPARE(form.grid->columnWidth(0), 20); // "3" fits the given width
        QVERIFY(form.table.catalogue.exec(
            {QString("INSERT INTO Items (Id, Name) VALUES (%1, 'far')").arg(largest)}));
        form.table.dataSet.refresh();
        QCOMPARE(form.grid->model()->index(3, 0).data().toString(), QString::number(largest));
        const int text = form.grid->fontMetrics().horizontalAdvance(QString::number(largest));
        QVERIFY2(form.grid->columnWidth(0) >= text + 4,
                 qPrintable(QString("%1 for %2").arg(form.grid->columnWidth(0)).arg(text)));
        QVERIFY(form.grid->columnWidth(0) <= std::max(20, text + 12));
    }

    void gridReadsOnlyVisibleRows() {
        // A model over many rows answers its row count without touching the rows.
        Form form(2000);
        QCOMPARE(form.grid->model()->rowCount(), 2000);
        form.table.dataSet.last();
        QCOMPARE(form.grid->selectionModel()->selectedRows().value(0).row(), 1999);
        QVERIFY(form.grid->rowViewportPosition(1999) >= 0);
    }
};

QTEST_MAIN(TestDBControls)
#include "tst_dbcontrols.moc"
