#include "app/WorkingFolder.h"

#include <QFile>
#include <QMessageBox>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace app {

bool enterWorkingFolder(const QString &path, QWidget *parent) {
    const std::filesystem::path folder(QFile::encodeName(path).toStdString());
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!error)
        std::filesystem::current_path(folder, error);
    if (!error)
        return true;
    const QString message = QStringLiteral("The working folder %1 cannot be made or entered: %2.")
                                .arg(path, QString::fromStdString(error.message()));
    std::fprintf(stderr, "korvandel: %s\n", qPrintable(message));
    QMessageBox::critical(parent, QStringLiteral("Error"), message);
    return false;
}

} // namespace app
