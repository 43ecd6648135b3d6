#pragma once

#include <QDialog>
#include <QString>
#include <optional>
#include <utility>

class QLabel;
class QLineEdit;
class QPushButton;

namespace dialogs {

// "Database Login": asks for the user name and password of a database server that wants a
// password the alias does not give. The user name takes at most 31 characters, the
// password any length; the password is shown as "*". The password input has the focus, the
// user-name input when no user name is known.
class LoginDialog : public QDialog {
    Q_OBJECT

public:
    LoginDialog(const QString &database, const QString &user, const QString &reason,
                QWidget *owner = nullptr);

    QString userName() const;
    QString password() const;

    QLineEdit *edUserName;
    QLineEdit *edPassword;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;
};

// Shows the dialog modally; the user name and password, or nothing when cancelled.
std::optional<std::pair<QString, QString>>
askDatabaseLogin(const QString &database, const QString &user, const QString &reason);

// Makes the dialog the database layer's login prompt: a server that wants a password the
// alias does not give asks the user through it.
void installDatabaseLoginPrompt();

// Shows the database layer's warnings about its settings (a value not understood, a
// password other users can read) in a message box.
void installDatabaseWarnings();

} // namespace dialogs
