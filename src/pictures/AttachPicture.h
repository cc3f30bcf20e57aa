#pragma once

namespace kvilbro {

class Dialogs;
class PictureOpenDialog;
class TableView;

// `HentbilledeClick` (also "Tilføj &et billede"): the collector chooses a
// file in `openDialog`; its full path goes into `Billede` of the current row
// of `numbers` (the main window's `Table2`), and the row is posted. On an
// area without numbers this makes a new row holding only its link fields and
// the path. Cancelling changes nothing. The path is stored untested, and the
// panel is not refreshed. A path longer than the field's 75 characters is
// refused with a message, never stored cut. Throws Error.
void attachPicture(TableView& numbers, Dialogs& dialogs, PictureOpenDialog& openDialog);

} // namespace kvilbro
