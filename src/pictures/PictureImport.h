#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

namespace kvilbro {

class TableView;

struct PictureImportResult {
    int attached = 0;
    // Full paths of the files not attached, in the order they came.
    QStringList listed;
    // Those of them whose full path `Billede` cannot hold as it is.
    QStringList pathTooLong;
};

// The mass import without its window: attaches picture files to the numbers
// of `numbers` (the main window's `Table2`) whose `Nummer` and `Type` the
// file names spell, and writes the report "Fejl.txt" listing the rest.
class PictureImport {
public:
    static constexpr QStringView ReportName = u"Fejl.txt";

    // `names` are files in `folder`, in the order of the file list;
    // "Fejl.txt" is written in `reportFolder`, dated `today`. Each match is
    // located, edited and posted through the view, one row at a time, so the
    // view ends on the last number that got a picture. A full path that
    // `Billede` would not store as it is (longer than the field) is listed,
    // never stored cut. Throws Error: the report cannot be written (nothing
    // more is attached), or the table engine failed (what was attached stays).
    static PictureImportResult run(TableView& numbers, const QString& folder, const QStringList& names,
                                   const QString& reportFolder, QDate today);

    static QString reportPath(const QString& reportFolder);
    // The report as written, for the window's display.
    static QString readReport(const QString& path);
    // A directory and a name joined by one separator.
    static QString joined(const QString& folder, const QString& name);
};

} // namespace kvilbro
