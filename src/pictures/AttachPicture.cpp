#include "AttachPicture.h"

#include "PictureOpenDialog.h"
#include "TableView.h"

namespace kvilbro {

void attachPicture(TableView& numbers, Dialogs& dialogs, PictureOpenDialog& openDialog)
{
    const QString path = openDialog.execute(dialogs);
    if (path.isEmpty())
        return;
    numbers.edit();
    numbers.setText(u"Billede", path);
    numbers.post();
}

} // namespace kvilbro
