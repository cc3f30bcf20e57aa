#pragma once

#include "Dialogs.h"
#include "Marks.h"

#include <functional>

namespace kvilbro {

class TableView;

// The want list of the current area for one condition written as separated
// text, several entries to a line: the three "Eksporter ... til CSV fil"
// commands of the Udskriv menu.
//
// Failures of the file itself end the command with "File I/O error.";
// errors of the tables are left to the caller's error guard.
class CsvExport {
public:
    // `areas`, `numbers` and `collector` are the main window's Table1, Table2
    // and Table3; `shortfallsOnly` reads CheckBox1.
    CsvExport(TableView& areas, TableView& numbers, TableView& collector, Dialogs& dialogs,
              std::function<bool()> shortfallsOnly);

    // EksporterstempledetilCSVfil1Click, EksporterpostfrisketilCSVfil1Click
    // and ExporterubrugtetilCSVfil1Click.
    void run(Condition condition);

    // SaveDialog1 as it will open next: it keeps the name chosen last.
    const FileDialogOptions& saveDialog() const { return saveDialog_; }

private:
    // Lines 1 to 8 and the entries; false when the file failed.
    bool write(const QString& path, Condition condition, const QString& separator, int columns, bool shortfallsOnly,
               qsizetype& replaced);

    TableView& areas_;
    TableView& numbers_;
    TableView& collector_;
    Dialogs& dialogs_;
    std::function<bool()> shortfallsOnly_;
    FileDialogOptions saveDialog_;
};

} // namespace kvilbro
