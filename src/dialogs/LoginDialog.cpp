#include "dialogs/LoginDialog.h"

#include "db/AliasRegistry.h"

#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace dialogs {

namespace {
// The user name input takes at most this many characters; a password may have any length.
constexpr int maxUserNameLength = 31;
} // namespace

LoginDialog::LoginDialog(const QString &database, const QString &user, const QString &reason,
                         QWidget *owner)
    : QDialog(owner), edUserName(new QLineEdit(user, this)), edPassword(new QLineEdit(this)),
      cmdOK(new QPushButton(QStringLiteral("&OK"), this)),
      cmdCancel(new QPushButton(QStringLiteral("Cancel"), this)) {
    setWindowTitle(QStringLiteral("Database Login"));
    edUserName->setMaxLength(maxUserNameLength);
    edPassword->setEchoMode(QLineEdit::Password);
    // The password field shows a star for every character typed.
    edPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Database:"), new QLabel(database, this));
    auto *userLabel = new QLabel(QStringLiteral("&User Name:"), this);
    userLabel->setBuddy(edUserName);
    form->addRow(userLabel, edUserName);
    auto *passwordLabel = new QLabel(QStringLiteral("&Password:"), this);
    passwordLabel->setBuddy(edPassword);
    form->addRow(passwordLabel, edPassword);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    if (!reason.isEmpty()) {
        // Why the previous attempt was refused, so that the user can type it again.
        auto *why = new QLabel(reason, this);
        why->setWordWrap(true);
        layout->addWidget(why);
    }
    layout->addLayout(form);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());

    (user.isEmpty() ? edUserName : edPassword)->setFocus();
}

QString LoginDialog::userName() const {
    return edUserName->text();
}

QString LoginDialog::password() const {
    return edPassword->text();
}

std::optional<std::pair<QString, QString>>
askDatabaseLogin(const QString &database, const QString &user, const QString &reason) {
    LoginDialog dialog(database, user, reason, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return std::make_pair(dialog.userName(), dialog.password());
}

void installDatabaseLoginPrompt() {
    db::AliasRegistry::setLoginPrompt([](const db::AliasRegistry::LoginRequest &request)
                                          -> std::optional<db::AliasRegistry::Login> {
        const auto login = askDatabaseLogin(request.database, request.user, request.reason);
        if (!login)
            return std::nullopt;
        return db::AliasRegistry::Login{login->first, login->second};
    });
}

void installDatabaseWarnings() {
    db::AliasRegistry::setWarningNotice([](const QString &text) {
        QMessageBox::warning(QApplication::activeWindow(), QStringLiteral("Warning"), text);
    });
}

} // namespace dialogs
