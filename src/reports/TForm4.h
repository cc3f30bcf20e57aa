#pragma once

#include "Marks.h"
#include "Report.h"

#include <memory>

namespace kvilbro {

class Database;
class Dialogs;

// Holds the all-information want list (its report QuickRep1): every number of
// the current area in two wide columns with its three marks and, on a second
// line, its remark. The window itself is never shown; the list previews
// modally while its pages are produced on a worker thread.
class TForm4 {
public:
    TForm4(Database& db, Dialogs& dialogs);
    ~TForm4();

    Report& QuickRep1() { return *report_; }

    // Finds `area` in the report's own area view; false when it is not there.
    bool prepare(const AreaKey& area);
    // prepare, then the modal preview; returns when the preview has been closed.
    void run(const AreaKey& area);

private:
    std::unique_ptr<Report> report_;
};

} // namespace kvilbro
