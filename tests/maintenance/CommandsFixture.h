#pragma once

// A collection with the main window's views and the area and number commands
// over them, as the command tests use it.
#include "Collection.h"
#include "CollectionCommands.h"
#include "CollectionViews.h"
#include "ErrorGuard.h"
#include "RecordingProgress.h"
#include "ScriptedDialogs.h"
#include "TableView.h"

#include <QTest>

namespace kvilbro::test {

inline const QStringList NumberOrder{"Land", "Stamoplysning", "Nummer", "Type", "Tæller"};
inline const QString Adding = "Opretter nye numre, vent....";
inline const QString Deleting = "Sletter samleområde vent....";

// The main window's Table1 and Table2 with the commands over them.
struct Window {
    explicit Window(const QString& dir)
        : db(dir), views(db, CollectionWindow::MainWindow), areas(views.areas()), numbers(views.numbers()),
          commands(areas, numbers, dialogs, progress, [this] { ++focusMoves; })
    {
        ErrorGuard::setDialogs(&dialogs);
    }
    ~Window() { ErrorGuard::setDialogs(nullptr); }

    // Runs a command as a menu item does: errors end in the stop box.
    bool run(void (CollectionCommands::*command)())
    {
        return ErrorGuard::guarded([&] { (commands.*command)(); });
    }
    QStringList stops() const
    {
        QStringList out;
        for (const auto& s : dialogs.shownOf("stop"))
            out << s.text;
        return out;
    }
    QString currentNumber() const { return numbers.asText(u"Nummer") + numbers.asText(u"Type"); }
    QString currentArea() const { return areas.asText(u"Beskrivelse"); }

    Database db;
    CollectionViews views;
    TableView& areas;
    TableView& numbers;
    ScriptedDialogs dialogs;
    RecordingProgress progress;
    int focusMoves = 0;
    CollectionCommands commands;
};

// Number rows "7a" (number, then variant) written straight into the file.
inline void seed(Collection& c, const QString& land, const QString& area, const QStringList& numbers)
{
    for (const QString& n : numbers) {
        qsizetype digits = 0;
        while (digits < n.size() && (n[digits].isDigit() || n[digits] == '-'))
            ++digits;
        c.addNumber(land, area, n.left(digits).toLongLong(), n.mid(digits));
    }
}

// Every stored number row of one area, through a view on a connection of its own:
// "Land|Stamoplysning|Nummer|Type|***|*|O|Billede|Bemærkning", in number order.
inline QStringList storedRows(const QString& dir, const QString& area)
{
    Database db(dir);
    TableView view(db, TableId::Numbers, NumberOrder);
    view.open();
    QStringList rows;
    for (view.first(); !view.eof(); view.next()) {
        if (view.asText(u"Stamoplysning") != area)
            continue;
        QStringList fields;
        for (const char* f : {"Land", "Stamoplysning", "Nummer", "Type", "***", "*", "O", "Billede", "Bemærkning"})
            fields << view.asText(QString::fromUtf8(f));
        rows << fields.join('|');
    }
    return rows;
}

inline QStringList storedNumbers(const QString& dir, const QString& area)
{
    QStringList out;
    for (const QString& row : storedRows(dir, area))
        out << row.section('|', 2, 2) + row.section('|', 3, 3);
    return out;
}

// "National ID|Beskrivelse" of every stored area, in the table's own order.
inline QStringList storedAreas(const QString& dir)
{
    Database db(dir);
    TableView view(db, TableId::Areas);
    view.open();
    QStringList rows;
    for (view.first(); !view.eof(); view.next())
        rows << view.asText(u"National ID") + '|' + view.asText(u"Beskrivelse");
    return rows;
}

// What a gauge run reports: reset, shown, the positions, hidden.
inline QStringList gaugeRun(const QString& text, int maximum, const QList<int>& positions)
{
    QStringList calls{QString("range 0 %1").arg(maximum), "position 0", "show " + text};
    for (int p : positions)
        calls << QString("position %1").arg(p);
    calls << "hide";
    return calls;
}

inline QList<int> upTo(int last)
{
    QList<int> out;
    for (int i = 1; i <= last; ++i)
        out << i;
    return out;
}

inline void compareInput(const ScriptedDialogs::Shown& shown, const QString& caption, const QString& prompt,
                         const QString& defaultText)
{
    QCOMPARE(shown.kind, QString("input"));
    QCOMPARE(shown.caption, caption);
    QCOMPARE(shown.text, prompt);
    QCOMPARE(shown.defaultText, defaultText);
}

} // namespace kvilbro::test
