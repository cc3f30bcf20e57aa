#pragma once

#include "Dialogs.h"

#include <QString>

namespace kvilbro {

// `OpenDialog1`: the open dialog for one picture file, "Billedfiler" with
// "*.jpg;*.bmp". It remembers the last chosen file and opens next time in
// that file's folder with its name filled in; the chosen file need not exist.
class PictureOpenDialog {
public:
    // The options for the next showing.
    FileDialogOptions options() const;

    // Shows the dialog through `dialogs` and gives the chosen file as a full
    // path, or an empty text when cancelled. Leaves the process's current
    // folder at the chosen file's folder.
    QString execute(Dialogs& dialogs);

    const QString& fileName() const { return fileName_; }

private:
    QString fileName_; // full path of the last chosen file
};

} // namespace kvilbro
