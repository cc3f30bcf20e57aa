#include "PictureOpenDialog.h"

#include <QDir>
#include <QFileInfo>

namespace kvilbro {

FileDialogOptions PictureOpenDialog::options() const
{
    FileDialogOptions options;
    options.filters = QStringList{QStringLiteral("Billedfiler (*.jpg *.bmp)")};
    if (fileName_.isEmpty()) {
        options.initialName = QStringLiteral("*.bmp;*.jpg");
    } else {
        const QFileInfo last(fileName_);
        options.directory = last.absolutePath();
        options.initialName = last.fileName();
    }
    return options;
}

QString PictureOpenDialog::execute(Dialogs& dialogs)
{
    const QString chosen = dialogs.openFile(options());
    if (chosen.isEmpty())
        return QString();
    // Expanded against the folder the name was chosen in, before we move away from it.
    const QString full = QDir::cleanPath(QFileInfo(chosen).absoluteFilePath());
    fileName_ = full;
    // A folder that does not exist leaves the current folder where it was.
    QDir::setCurrent(QFileInfo(full).absolutePath());
    return QDir::toNativeSeparators(full);
}

} // namespace kvilbro
