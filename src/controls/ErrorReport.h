#pragma once

#include <QString>
#include <exception>
#include <functional>

class QWidget;

namespace controls {

// The application's default error report: a message box captioned with the application
// title, with the error icon and OK, showing the message followed by ".".
void showErrorReport(const QString &message, QWidget *parent = nullptr);
// The message of an exception as the report shows it (without the final ".").
QString errorMessage(const std::exception &error);

// Runs an event handler. An exception that ends it is shown by the default error report
// and the program goes on; returns false in that case. Every entry point from the event
// loop into the program's own handlers goes through here.
bool guarded(const std::function<void()> &handler, QWidget *parent = nullptr);

// Replaces the message box (tests record the reports instead of clicking them away).
// An empty function restores the box.
void setErrorReportSink(std::function<void(const QString &message)> sink);

} // namespace controls
