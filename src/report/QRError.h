#pragma once

#include <QString>
#include <stdexcept>

namespace report {

// Errors of the printing subsystem (printer settings, report files); the application's
// default error report shows their message.
class EQRError : public std::runtime_error {
public:
    explicit EQRError(const QString &message) : std::runtime_error(message.toStdString()) {}
};

} // namespace report
