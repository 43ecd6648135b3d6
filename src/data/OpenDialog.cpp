#include "data/OpenDialog.h"

#include "platform/PathMapping.h"

#include <algorithm>

#include <QAbstractFileIconProvider>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QTreeView>

namespace data {

namespace {

// The desktop file dialog, refusing a file that is read-only or lies in a write-protected
// folder: such a file is left to the game's installation and not picked here.
class FileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override {
        const QStringList files = selectedFiles();
        if (files.size() == 1) {
            const QFileInfo info(files.first());
            if (info.isFile() &&
                (!info.isWritable() || !QFileInfo(info.absolutePath()).isWritable())) {
                QMessageBox::warning(this, windowTitle(),
                                     QDir::toNativeSeparators(info.filePath()) +
                                         tr("\nThis file is set to read-only.\n"
                                            "Try again with a different file name."));
                return;
            }
        }
        QFileDialog::accept();
    }
};

// Icons and type names from the name alone. The dialog must not read the files it lists:
// reading one opens and closes a descriptor of it, and on Linux closing any descriptor of
// a file drops every lock this process holds on that file. The catalogue lies in the
// working folder, and its engine's locks are what keep another program from deleting
// the posts in its journal or log.
class NameOnlyIconProvider : public QAbstractFileIconProvider {
public:
    QIcon icon(const QFileInfo &info) const override {
        return QAbstractFileIconProvider::icon(info.isDir() ? Folder : File);
    }
    QString type(const QFileInfo &info) const override {
        if (!info.isFile())
            return QAbstractFileIconProvider::type(info);
        const QMimeType mime = QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension);
        return mime.comment().isEmpty() ? mime.name() : mime.comment();
    }
};

// The detail list's size, type and date columns take the width of what they show once a
// folder is read, and the name column the rest of the view: at the dialog's size their
// default widths cut the dates and type names.
void fitColumnsToContent(QFileDialog &dialog) {
    auto *model = dialog.findChild<QFileSystemModel *>();
    auto *view = dialog.findChild<QTreeView *>(QStringLiteral("treeView"));
    if (!model || !view)
        return;
    QObject::connect(model, &QFileSystemModel::directoryLoaded, view, [view] {
        int others = 0;
        for (int column = 1; column < view->header()->count(); ++column) {
            view->resizeColumnToContents(column);
            others += view->columnWidth(column);
        }
        view->setColumnWidth(
            0, std::max(view->viewport()->width() - others, view->header()->sectionSizeHint(0)));
    });
}

std::optional<QString> runFileDialog(const TOpenDialog &settings, QWidget *parent) {
    const NameOnlyIconProvider icons; // outlives the dialog that uses it
    FileDialog dialog(parent, settings.Title());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setIconProvider(const_cast<NameOnlyIconProvider *>(&icons));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    fitColumnsToContent(dialog);
    dialog.setNameFilters(settings.Filters());
    dialog.selectNameFilter(settings.Filters().value(0));
    dialog.setDefaultSuffix(settings.DefaultExt());
    if (settings.FileName().isEmpty())
        dialog.setDirectory(settings.startDirectory());
    else
        dialog.selectFile(settings.FileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

} // namespace

TOpenDialog::TOpenDialog()
    : m_title(QStringLiteral("Choose the audio file:")),
      m_filters{QStringLiteral("Audio Files (*.WAV)"), QStringLiteral("All files (*.*)")},
      m_defaultExt(QStringLiteral("WAV")) {}

QString TOpenDialog::startDirectory() const {
    if (!m_fileName.isEmpty())
        return QFileInfo(m_fileName).absolutePath();
    return QDir(platform::mapPath(m_initialDir)).absolutePath();
}

bool TOpenDialog::Execute(QWidget *parent) {
    const QString workingDirectory = QDir::currentPath();
    const std::optional<QString> chosen =
        m_runner ? m_runner(*this, parent) : runFileDialog(*this, parent);
    QDir::setCurrent(workingDirectory);
    if (!chosen)
        return false;
    m_fileName = *chosen;
    return true;
}

} // namespace data
