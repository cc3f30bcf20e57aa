#pragma once

#include "Marks.h"
#include "Report.h"

#include <functional>
#include <memory>

namespace kvilbro {

class Database;
class Dialogs;

// The mark-type want list: the current area's numbers in five narrow columns
// with one mark column. One report serves the used, mint and unused lists;
// each run binds the mark column to its condition and retitles the list.
class TQuickReport5 {
public:
    // `shortfallsOnly` is read for every row placed, in the preview and again when printing.
    TQuickReport5(Database& db, Dialogs& dialogs, std::function<bool()> shortfallsOnly);
    ~TQuickReport5();

    Report& report() { return *report_; }

    // Binds the list to `condition` and finds `area` in the report's own area
    // view. False when the area is not there; nothing is bound then either.
    bool prepare(Condition condition, const AreaKey& area);
    // prepare, then the preview; returns when the preview has been closed.
    void run(Condition condition, const AreaKey& area);

    static QString subtitle(Condition condition);

private:
    void skipOwned(bool& print) const;

    std::unique_ptr<Report> report_;
    std::function<bool()> shortfallsOnly_;
};

} // namespace kvilbro
