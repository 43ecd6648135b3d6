#include "controls/ErrorReport.h"

#include "db/DatabaseError.h"

#include <QApplication>
#include <QMessageBox>

namespace controls {

QString errorMessage(const std::exception &error) {
    if (auto *dbError = dynamic_cast<const db::DatabaseError *>(&error))
        return dbError->message();
    return QString::fromUtf8(error.what());
}

namespace {
std::function<void(const QString &)> &sink() {
    static std::function<void(const QString &)> instance;
    return instance;
}
} // namespace

void setErrorReportSink(std::function<void(const QString &message)> handler) {
    sink() = std::move(handler);
}

void showErrorReport(const QString &message, QWidget *parent) {
    if (sink()) {
        sink()(message + QLatin1Char('.'));
        return;
    }
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(),
                    message + QLatin1Char('.'), QMessageBox::Ok, parent);
    box.exec();
}

bool guarded(const std::function<void()> &handler, QWidget *parent) {
    try {
        handler();
        return true;
    } catch (const db::OperationAbandoned &) {
        // The user answered a question with "stay": they know, nothing to report.
        return false;
    } catch (const std::exception &error) {
        showErrorReport(errorMessage(error), parent);
        return false;
    }
}

} // namespace controls
