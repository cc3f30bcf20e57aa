#include "AttachPicture.h"

#include "Error.h"
#include "FieldRules.h"
#include "PictureMessages.h"
#include "PictureOpenDialog.h"
#include "TableView.h"

namespace kvilbro {

void attachPicture(TableView& numbers, Dialogs& dialogs, PictureOpenDialog& openDialog)
{
    const QString path = openDialog.execute(dialogs);
    if (path.isEmpty())
        return;
    // A path cut to the field's width would name no file.
    const FieldDef& field = numbers.table().fields[numbers.fieldIndex(u"Billede")];
    if (!storedAsIs(field, path))
        throw Error(picturemessages::pathTooLong(path, field.width), Error::Kind::Picture);
    numbers.edit();
    numbers.setText(u"Billede", path);
    numbers.post();
}

} // namespace kvilbro
