#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace kvilbro {

class Dialogs;
class Progress;
class TableView;

// The area and number commands of the main window's menus. They act on the
// window's area view and the number view linked to it, ask through `dialogs`
// and show the long ones through `progress` (Label2 and Gauge1).
//
// Each command may throw Error; the caller runs it inside the error guard,
// which shows the message. Rows stored before an error stay stored.
class CollectionCommands {
public:
    // `areas` is Table1 (the table's own order); `numbers` is Table2, ordered by
    // Land, Stamoplysning, Nummer, Type, Tæller and following `areas`.
    // `focusNumbers` gives the keyboard focus to the numbers grid DBGrid2.
    CollectionCommands(TableView& areas, TableView& numbers, Dialogs& dialogs, Progress& progress,
                       std::function<void()> focusNumbers);

    // "Nyt &samleområde" (Nytsamleomrde1Click): a new area becomes the current one.
    void newArea();
    // "&Numre" (Numre1Click): a run of numbers after the area's highest number.
    void addNumbers();
    // "&Efter nummer" (Efternummer1Click): finds a number in the current area.
    void searchNumber();
    // "&Slet samleområde" (Sletsamleomrde1Click): the area's numbers, then the area.
    void deleteArea();
    // "Slet afkr&ydsning" (Sletafkrydsning1Click): empties the three marks of the area's numbers.
    void clearMarks();
    // "Slet &billedhenvisning" (Slet2Click): empties the area's picture references.
    void clearPictureReferences();

private:
    bool confirmedTwice(const QString& question);
    void clearFields(const QString& question, const QStringList& fields);

    TableView& areas_;
    TableView& numbers_;
    Dialogs& dialogs_;
    Progress& progress_;
    std::function<void()> focusNumbers_;
};

} // namespace kvilbro
