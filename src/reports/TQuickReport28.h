#pragma once

#include "Marks.h"
#include "Report.h"

#include <memory>

namespace kvilbro {

class Database;
class Dialogs;

// The combined marks want list: every number of the current area in five
// narrow columns, with its three marks in three small boxed cells. No filter:
// owned numbers print too.
class TQuickReport28 {
public:
    TQuickReport28(Database& db, Dialogs& dialogs);
    ~TQuickReport28();

    Report& report() { return *report_; }

    // Finds `area` in the report's own area view; false when it is not there.
    bool prepare(const AreaKey& area);
    // prepare, then the preview; returns when the preview has been closed.
    void run(const AreaKey& area);

    // The point size at which Arial's cell (ascent plus descent) is `cellPoints` high.
    static double sizeForCellHeight(double cellPoints, bool bold = false);

private:
    std::unique_ptr<Report> report_;
};

} // namespace kvilbro
