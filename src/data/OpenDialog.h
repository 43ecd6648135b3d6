#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

namespace data {

// The main window's file-open dialog for sound files. It keeps its settings between
// openings: the folder it starts in (the audio directory, a path as the game writes it)
// and the full path of the last file chosen, which it offers again. Only an existing file
// that may be written can be chosen, and the working directory is the same afterwards, so
// the relative paths of the configuration keep working.
class TOpenDialog {
public:
    // Runs the dialog modally; returns the chosen file's full path, or none on cancel.
    using Runner = std::function<std::optional<QString>(const TOpenDialog &, QWidget *parent)>;

    TOpenDialog();

    const QString &Title() const { return m_title; }
    // Name filters, the first one selected at first.
    const QStringList &Filters() const { return m_filters; }
    // Added to a typed name without extension.
    const QString &DefaultExt() const { return m_defaultExt; }

    const QString &InitialDir() const { return m_initialDir; }
    void setInitialDir(const QString &directory) { m_initialDir = directory; }
    // Full path of the last file chosen; empty before the first choice.
    const QString &FileName() const { return m_fileName; }
    void setFileName(const QString &fileName) { m_fileName = fileName; }

    // The folder and file the dialog starts with: the last file chosen, or else the
    // initial folder (mapped to this file system).
    QString startDirectory() const;

    // Shows the dialog; true when a file was chosen, which FileName() then holds.
    bool Execute(QWidget *parent = nullptr);

    // Replaces the desktop dialog (tests choose without clicking). Empty restores it.
    void setRunner(Runner runner) { m_runner = std::move(runner); }

private:
    QString m_title;
    QStringList m_filters;
    QString m_defaultExt;
    QString m_initialDir;
    QString m_fileName;
    Runner m_runner;
};

} // namespace data
