#pragma once

#include <QSqlError>
#include <QString>
#include <stdexcept>

namespace db {

// Every failure of the data layer is an exception carrying the message the user sees.
// Handlers do not catch it; the application's default error report shows it.
class DatabaseError : public std::runtime_error {
public:
    explicit DatabaseError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// An operation the user chose not to go on with after a question: nothing more to report.
class OperationAbandoned : public DatabaseError {
public:
    OperationAbandoned() : DatabaseError(QStringLiteral("Operation abandoned")) {}
};

// A failure the engine reported: the message the user sees, and the engine's own error so
// that callers can tell a busy file or a lost connection from a real refusal.
class EngineError : public DatabaseError {
public:
    EngineError(const QString &message, const QSqlError &error)
        : DatabaseError(message), m_error(error) {}
    const QSqlError &error() const { return m_error; }

private:
    QSqlError m_error;
};

// Message texts shared by the dataset and the controls.
namespace msg {
inline const char *notEditing = "Dataset not in edit or insert mode";
inline const char *readOnly = "Cannot modify a read-only dataset";
inline const char *closed = "Cannot perform this operation on a closed dataset";
inline const char *empty = "Cannot perform this operation on an empty dataset";
inline const char *fieldNotFound = "Field '%1' not found";
inline const char *invalidInteger = "'%1' is not a valid integer value for field '%2'";
inline const char *invalidFloat = "'%1' is not a valid floating point value for field '%2'";
inline const char *unstorableCharacter =
    "The text for field '%2' holds a character the catalogue cannot store (NUL)";
inline const char *outOfRange =
    "%1 is not a valid value for field '%2'. The allowed range is %3 to %4";
inline const char *engineInit =
    "An error occurred while attempting to initialize the database engine (error $%1)";
} // namespace msg

} // namespace db
