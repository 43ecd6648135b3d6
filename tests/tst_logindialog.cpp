// The login prompt: a PostgreSQL alias without a password asks for one in the "Database
// Login" dialog; OK opens the database with what was typed, Cancel fails the open.
#include "db/AliasRegistry.h"
#include "db/DatabaseError.h"
#include "dialogs/LoginDialog.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestLoginDialog : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    // Acts on the login dialog once it shows: types the password and presses a button.
    void whenShown(const QString &password, bool ok, QString *seenUser, bool *passwordFocused) {
        QTimer::singleShot(0, this, [=] {
            auto *dialog = qobject_cast<dialogs::LoginDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Database Login"));
            *seenUser = dialog->edUserName->text();
            *passwordFocused = dialog->focusWidget() == dialog->edPassword;
            dialog->edPassword->setText(password);
            (ok ? dialog->cmdOK : dialog->cmdCancel)->click();
        });
    }

private slots:
    void initTestCase() {
        if (!qEnvironmentVariableIsSet("KORVANDEL_PG_HOST"))
            QSKIP("no PostgreSQL server (scripts/start-postgres.sh)");
        // libpq must find no password file of the user running the tests.
        qputenv("PGPASSFILE", QFile::encodeName(dir.filePath(QStringLiteral("none"))));
        const QString ini = dir.filePath(QStringLiteral("databases.ini"));
        QSettings settings(ini, QSettings::IniFormat);
        settings.beginGroup(QStringLiteral("Shared"));
        settings.setValue(QStringLiteral("Driver"), QStringLiteral("PSQL"));
        settings.setValue(QStringLiteral("Host"), qEnvironmentVariable("KORVANDEL_PG_HOST"));
        settings.setValue(QStringLiteral("Port"), qEnvironmentVariable("KORVANDEL_PG_PORT"));
        settings.setValue(QStringLiteral("Database"),
                          qEnvironmentVariable("KORVANDEL_PG_DATABASE"));
        settings.setValue(QStringLiteral("User"), qEnvironmentVariable("KORVANDEL_PG_USER"));
        settings.endGroup();
        settings.sync();
        db::AliasRegistry::setConfigFile(ini);
        dialogs::installDatabaseLoginPrompt();
    }
    void cleanup() { db::AliasRegistry::closeAll(); }

    void dialogLooksAsSpecified() {
        dialogs::LoginDialog withUser(QStringLiteral("vantrel"), QStringLiteral("ann"), QString());
        QCOMPARE(withUser.edUserName->maxLength(), 31);
        // A long generated password is taken whole.
        const QString longPassword(200, QLatin1Char('p'));
        QTest::keyClicks(withUser.edPassword, longPassword);
        QCOMPARE(withUser.password(), longPassword);
        QCOMPARE(withUser.edPassword->echoMode(), QLineEdit::Password);
        QVERIFY(withUser.cmdOK->isDefault());
        QCOMPARE(withUser.cmdOK->text(), QStringLiteral("&OK"));
        QCOMPARE(withUser.cmdCancel->text(), QStringLiteral("Cancel"));
        QStringList texts;
        for (const QLabel *label : withUser.findChildren<QLabel *>())
            texts << label->text();
        QVERIFY(texts.contains(QStringLiteral("&User Name:")));
        QVERIFY(texts.contains(QStringLiteral("&Password:")));
        QVERIFY(texts.contains(QStringLiteral("vantrel")));
    }

    void okOpensWithTheTypedPassword_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("failure");
        QTest::newRow("right password")
            << qEnvironmentVariable("KORVANDEL_PG_PASSWORD") << true << QString();
        QTest::newRow("cancel") << QString() << false
                                << QStringLiteral("Cannot open database 'Shared': the login was "
                                                  "cancelled");
    }
    void okOpensWithTheTypedPassword() {
        QFETCH(QString, password);
        QFETCH(bool, ok);
        QFETCH(QString, failure);
        QString seenUser;
        bool passwordFocused = false;
        whenShown(password, ok, &seenUser, &passwordFocused);
        QString message;
        try {
            QVERIFY(db::AliasRegistry::database(QStringLiteral("Shared")).isOpen());
        } catch (const db::DatabaseError &error) {
            message = error.message();
        }
        QCOMPARE(message, failure);
        QCOMPARE(seenUser, qEnvironmentVariable("KORVANDEL_PG_USER"));
        // The user name is known: the password input has the focus.
        QVERIFY(passwordFocused);
    }
};

QTEST_MAIN(TestLoginDialog)
#include "tst_logindialog.moc"
