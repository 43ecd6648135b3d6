// The record navigator: button layout, enabling rules, actions, hints and the bookmark.
#include "controls/Nav.h"
#include "main_support.h"

using namespace controls;

Q_DECLARE_METATYPE(controls::TButtonSet)

namespace {

QString enabledButtons(const TDBNavigatorSpec &nav) {
    static const char *const names[navButtonCount] = {"first",  "rw",      "prior",  "next", "ff",
                                                      "last",   "insert",  "delete", "edit", "post",
                                                      "cancel", "refresh", "mark",   "goto"};
    QStringList on;
    for (int i = 0; i < navButtonCount; ++i)
        if (nav.button(TNavigateBtn(i))->isEnabled())
            on << QString::fromLatin1(names[i]);
    return on.join(QLatin1Char(' '));
}

} // namespace

class TestNavigator : public QObject {
    Q_OBJECT

private slots:
    void layout_data() {
        QTest::addColumn<TButtonSet>("buttons");
        QTest::addColumn<int>("requested");
        QTest::addColumn<bool>("aligned");
        QTest::addColumn<int>("width");
        QTest::addColumn<QList<int>>("xs");
        QTest::addColumn<QList<int>>("widths");
        const TButtonSet moves{nbFirst, nbRW, nbPrior, nbNext, nbFF, nbLast};
        QList<int> all14x, all14w;
        for (int i = 0; i < 14; ++i) {
            all14x << 19 * i;
            all14w << 20;
        }
        QTest::newRow("all fourteen at the default size")
            << TButtonSet::all() << 241 << false << 267 << all14x << all14w;
        QTest::newRow("moves in 229")
            << moves << 229 << false << 229 << QList<int>{0, 38, 76, 114, 152, 190}
            << QList<int>{39, 39, 39, 39, 39, 39};
        QTest::newRow("moves asked 230 get 229")
            << moves << 230 << false << 229 << QList<int>{0, 38, 76, 114, 152, 190}
            << QList<int>{39, 39, 39, 39, 39, 39};
        QTest::newRow("new delete edit in 115")
            << TButtonSet{nbInsert, nbDelete, nbEdit} << 115 << false << 115
            << QList<int>{0, 38, 76} << QList<int>{39, 39, 39};
        QTest::newRow("bookmarks in 75") << TButtonSet{nbMark, nbGoto} << 75 << false << 75
                                         << QList<int>{0, 37} << QList<int>{38, 38};
        QTest::newRow("post cancel in 109") << TButtonSet{nbPost, nbCancel} << 109 << false << 109
                                            << QList<int>{0, 54} << QList<int>{55, 55};
        QTest::newRow("aligned moves spread the surplus")
            << moves << 233 << true << 233 << QList<int>{0, 39, 77, 116, 155, 193}
            << QList<int>{40, 39, 40, 40, 39, 40};
        QTest::newRow("no buttons keep the width, at least 20")
            << TButtonSet() << 5 << false << 20 << QList<int>{} << QList<int>{};
        QTest::newRow("no buttons, wide")
            << TButtonSet() << 90 << false << 90 << QList<int>{} << QList<int>{};
    }
    void layout() {
        QFETCH(TButtonSet, buttons);
        QFETCH(int, requested);
        QFETCH(bool, aligned);
        QFETCH(int, width);
        QFETCH(QList<int>, xs);
        QFETCH(QList<int>, widths);
        QWidget parent;
        parent.resize(requested, 100);
        TDBNavigatorSpec nav(&parent);
        nav.setVisibleButtons(buttons);
        if (aligned)
            nav.setAlign(alTop);
        else
            nav.setBounds(0, 0, requested, 25);
        QCOMPARE(nav.width(), width);
        QCOMPARE(nav.height(), 25);
        QList<int> gotX, gotW;
        for (int i = 0; i < navButtonCount; ++i) {
            TNavButton *b = nav.button(TNavigateBtn(i));
            if (!buttons.contains(TNavigateBtn(i))) {
                QVERIFY2(b->x() > nav.width(), "a hidden button lies outside");
                QVERIFY(b->isHidden());
                continue;
            }
            gotX << b->x();
            gotW << b->width();
            QCOMPARE(b->height(), 25);
        }
        QCOMPARE(gotX, xs);
        QCOMPARE(gotW, widths);
    }

    void tinyHeightGrowsToMinimum() {
        TDBNavigatorSpec nav;
        nav.setBounds(0, 0, 10, 3);
        QCOMPARE(nav.size(), QSize(267, 18));
    }

    void enabling_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("enabled");
        const QString browseFirst = "next ff last insert delete edit refresh mark";
        QTest::newRow("closed") << 5 << "close"
                                << "";
        QTest::newRow("just opened") << 5 << "" << browseFirst;
        QTest::newRow("at the last row") << 5 << "last"
                                         << "first rw prior insert delete edit refresh mark";
        QTest::newRow("in the middle")
            << 5 << "next"
            << "first rw prior next ff last insert delete edit refresh mark";
        QTest::newRow("editing") << 5 << "edit"
                                 << "next ff last insert delete post cancel refresh";
        // a new row is neither at the beginning nor at the end
        QTest::newRow("inserting")
            << 5 << "insert"
            << "first rw prior next ff last insert delete post cancel refresh";
        QTest::newRow("empty result") << 0 << ""
                                      << "insert edit refresh mark";
        // the end is known only after a move past the last row
        QTest::newRow("one row") << 1 << "" << browseFirst;
        QTest::newRow("one row, moved past it") << 1 << "next"
                                                << "first rw prior insert delete edit refresh mark";
        QTest::newRow("read-only result") << 5 << "readonly"
                                          << "next ff last refresh mark";
        QTest::newRow("navigator disabled") << 5 << "disable"
                                            << "";
    }
    void enabling() {
        QFETCH(int, rows);
        QFETCH(QString, step);
        QFETCH(QString, enabled);
        ItemTable table(rows);
        table.dataSet.setRequestLive(step != "readonly");
        TDBNavigatorSpec nav;
        nav.setDataSource(&table.source);
        QCOMPARE(enabledButtons(nav), QString());
        table.dataSet.open();
        if (step == "close")
            table.dataSet.close();
        else if (step == "last")
            table.dataSet.last();
        else if (step == "next")
            table.dataSet.next();
        else if (step == "edit")
            table.dataSet.edit();
        else if (step == "insert")
            table.dataSet.insert();
        else if (step == "disable")
            nav.setEnabled(false);
        QCOMPARE(enabledButtons(nav), enabled);
    }

    void clicksMoveTheDataSet() {
        ItemTable table(10);
        table.dataSet.open();
        TDBNavigatorSpec nav;
        nav.setDataSource(&table.source);
        nav.setJump(4);
        nav.BtnClick(nbFF);
        QCOMPARE(table.dataSet.recNo(), 4);
        nav.BtnClick(nbPrior);
        QCOMPARE(table.dataSet.recNo(), 3);
        // three rows before the current one: a jump of 4 stops at the first
        nav.BtnClick(nbRW);
        QCOMPARE(table.dataSet.recNo(), 0);
        QCOMPARE(enabledButtons(nav).startsWith("next"), true);
        nav.BtnClick(nbLast);
        QCOMPARE(table.dataSet.recNo(), 9);
        nav.setJump(-2); // a negative jump reverses the two jump buttons
        nav.BtnClick(nbFF);
        QCOMPARE(table.dataSet.recNo(), 7);
    }

    void buttonsActOnTheRow() {
        ItemTable table(3);
        table.dataSet.open();
        TDBNavigatorSpec nav;
        nav.setDataSource(&table.source);
        nav.BtnClick(nbEdit);
        QCOMPARE(table.dataSet.state(), db::DataSetState::Edit);
        table.dataSet.fieldByName("Name")->setAsString("changed");
        nav.BtnClick(nbPost);
        QCOMPARE(table.stored("Name", 1).toString(), QString("changed"));
        nav.BtnClick(nbInsert);
        nav.BtnClick(nbCancel);
        QCOMPARE(table.dataSet.state(), db::DataSetState::Browse);
        QCOMPARE(table.storedRows(), 3);
    }

    void deleteAsksFirst_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("rowsAfter");
        QTest::newRow("Enter takes OK") << int(Qt::Key_Return) << 2;
        QTest::newRow("Esc takes Cancel") << int(Qt::Key_Escape) << 3;
    }
    void deleteAsksFirst() {
        QFETCH(int, key);
        QFETCH(int, rowsAfter);
        ItemTable table(3);
        table.dataSet.open();
        TDBNavigatorSpec nav;
        nav.setDataSource(&table.source);
        QList<TNavigateBtn> clicks;
        nav.OnClick = [&](TDBNavigatorSpec *sender, TNavigateBtn button) {
            QCOMPARE(sender, &nav);
            clicks << button;
        };
        SeenBox seen;
        answerNextBox(key, &seen);
        nav.button(nbDelete)->click();
        QVERIFY(seen.shown);
        QCOMPARE(seen.caption, QString("Confirm"));
        QCOMPARE(seen.text, QString("Delete record?"));
        QCOMPARE(seen.icon, QMessageBox::Question);
        QCOMPARE(seen.defaultButton, QMessageBox::Ok);
        QCOMPARE(table.storedRows(), rowsAfter);
        QCOMPARE(clicks, QList<TNavigateBtn>{nbDelete});
    }

    void deleteWithoutConfirmation() {
        ItemTable table(2);
        table.dataSet.open();
        TDBNavigatorSpec nav;
        nav.setDataSource(&table.source);
        nav.setConfirmDelete(false);
        nav.BtnClick(nbDelete);
        QCOMPARE(table.storedRows(), 1);
    }

    void failedActionRaisesNoClickEvent() {
        ReportRecorder recorder;
        ItemTable table(2);
        table.dataSet.open();
        TDBNavigatorSpec nav;
        nav.setDataSource(&table.source);
        int clicks = 0;
        nav.OnClick = [&](TDBNavigatorSpec *, TNavigateBtn) { ++clicks; };
        table.dataSet.edit();
        table.dataSet.fieldByName("Name")->setAsString("x");
        table.catalogue.exec({"DROP TABLE Items"}); // the post cannot be written
        nav.button(nbPost)->click();
        QCOMPARE(recorder.reports.size(), 1);
        QCOMPARE(clicks, 0);
        QCOMPARE(table.dataSet.state(), db::DataSetState::Edit);
    }

    void clickWithoutDataSourceStillReports() {
        TDBNavigatorSpec nav;
        QList<TNavigateBtn> clicks;
        nav.OnClick = [&](TDBNavigatorSpec *, TNavigateBtn button) { clicks << button; };
        nav.BtnClick(nbNext);
        nav.BtnClick(nbDelete);
        QCOMPARE(clicks, (QList<TNavigateBtn>{nbNext, nbDelete}));
    }

    void bookmarkSurvivesAReopen() {
        ItemTable table(6);
        table.dataSet.open();
        TDBNavigatorSpec nav;
        nav.setDataSource(&table.source);
        QVERIFY(!nav.button(nbGoto)->isEnabled());
        table.dataSet.moveBy(3);
        nav.BtnClick(nbMark);
        QVERIFY(nav.button(nbGoto)->isEnabled());
        table.dataSet.close();
        QVERIFY(!nav.button(nbGoto)->isEnabled());
        table.dataSet.open();
        QVERIFY(nav.button(nbGoto)->isEnabled());
        QCOMPARE(table.dataSet.recNo(), 0);
        nav.BtnClick(nbGoto);
        QCOMPARE(table.dataSet.recNo(), 3);
    }

    void markOnEmptyResultDropsTheBookmark() {
        ItemTable table(2);
        table.dataSet.open();
        TDBNavigatorSpec nav;
        nav.setDataSource(&table.source);
        nav.BtnClick(nbMark);
        QVERIFY(!nav.HeldBookmark().isNull());
        table.dataSet.setSql({"SELECT * FROM Items WHERE Id < 0"});
        table.dataSet.close();
        table.dataSet.open();
        QVERIFY(nav.button(nbMark)->isEnabled());
        nav.BtnClick(nbMark);
        QVERIFY(nav.HeldBookmark().isNull());
        QVERIFY(!nav.button(nbGoto)->isEnabled());
    }

    void hints_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("expected");
        QStringList defaults;
        for (int i = 0; i < navButtonCount; ++i)
            defaults << TDBNavigatorSpec::defaultHint(TNavigateBtn(i));
        QStringList three = defaults;
        three[0] = "a";
        three[1] = "b";
        three[2] = "c";
        QTest::newRow("three lines") << QStringList{"a", "b", "c"} << three;
        QStringList gap = defaults;
        gap[0] = "a";
        gap[2] = "c";
        QTest::newRow("an empty line keeps the default") << QStringList{"a", "", "c"} << gap;
        QStringList sixteen;
        for (int i = 0; i < 16; ++i)
            sixteen << QString::number(i);
        QTest::newRow("lines after the fourteenth are ignored") << sixteen << sixteen.mid(0, 14);
        QTest::newRow("no lines") << QStringList{} << defaults;
    }
    void hints() {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, expected);
        TDBNavigatorSpec nav;
        QCOMPARE(nav.Hints().size(), 14);
        QCOMPARE(nav.Hints().first(), QString("Beggining of file"));
        nav.setHints(lines);
        QStringList got;
        for (int i = 0; i < navButtonCount; ++i) {
            TNavButton *b = nav.button(TNavigateBtn(i));
            got << hintOfButton(b);
            QCOMPARE(b->toolTip(), got.last()); // the navigator shows pop-up tips
        }
        QCOMPARE(got, expected);
    }

    void keysMoveTheFocusMark() {
        ItemTable table(5);
        table.dataSet.open();
        QWidget window;
        TDBNavigatorSpec nav(&window);
        nav.setVisibleButtons({nbPrior, nbNext, nbLast});
        nav.setDataSource(&table.source);
        nav.setTabStop(true);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        nav.setFocus();
        QCOMPARE(nav.FocusIndex(), nbFirst); // even though first is hidden
        QTest::keyClick(&nav, Qt::Key_Right);
        QCOMPARE(nav.FocusIndex(), nbPrior);
        QTest::keyClick(&nav, Qt::Key_Space); // prior is disabled on the first row
        QCOMPARE(table.dataSet.recNo(), 0);
        QTest::keyClick(&nav, Qt::Key_Right);
        QTest::keyClick(&nav, Qt::Key_Space);
        QCOMPARE(table.dataSet.recNo(), 1);
        QTest::keyClick(&nav, Qt::Key_Right);
        QTest::keyClick(&nav, Qt::Key_Right); // nothing visible after last
        QCOMPARE(nav.FocusIndex(), nbLast);
        QTest::keyClick(&nav, Qt::Key_Left);
        QCOMPARE(nav.FocusIndex(), nbNext);
    }

    void heldNextRepeats() {
        ItemTable table(50);
        table.dataSet.open();
        QWidget window;
        TDBNavigatorSpec nav(&window);
        nav.setDataSource(&table.source);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        TNavButton *next = nav.button(nbNext);
        QTest::mousePress(next, Qt::LeftButton);
        QVERIFY(next->RepeatClock());
        QCOMPARE(next->RepeatClock()->interval(), 400);
        QTRY_VERIFY(table.dataSet.recNo() >= 2);
        QCOMPARE(next->RepeatClock()->interval(), 100);
        QTest::mouseRelease(next, Qt::LeftButton);
        QVERIFY(!next->RepeatClock()->isActive());
        const int after = table.dataSet.recNo();
        QTest::qWait(250);
        QCOMPARE(table.dataSet.recNo(), after);
        QTest::mousePress(nav.button(nbLast), Qt::LeftButton);
        QVERIFY(!nav.button(nbLast)->RepeatClock()); // only prior and next repeat
        QTest::mouseRelease(nav.button(nbLast), Qt::LeftButton);
    }

    void glyphsAreLoaded() {
        TDBNavigatorSpec nav;
        for (const char *name : {"FIRST", "PRIOR", "MARK", "GOTO"}) {
            const QImage image(QStringLiteral(":/nav/DBX_%1").arg(name));
            QVERIFY2(!image.isNull(), name);
            const int expected = QByteArray(name) == "PRIOR" ? 20 : 28;
            QCOMPARE(image.width(), expected);
            QCOMPARE(image.height(), 13);
        }
    }

private:
    static QString hintOfButton(const QWidget *button);
};

#include "controls/newstat.h"
QString TestNavigator::hintOfButton(const QWidget *button) {
    return controls::hintOf(button);
}

QTEST_MAIN(TestNavigator)
#include "tst_navigator.moc"
