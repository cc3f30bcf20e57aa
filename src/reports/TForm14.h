#pragma once

#include "Marks.h"
#include "Report.h"

#include <QSize>

#include <functional>
#include <memory>

namespace kvilbro {

class Database;
class Dialogs;

// Holds the picture want list (its report QuickRep1): the current area's
// numbers in six columns of tall boxes, each with its number, type, mark,
// remark and a small picture of the stamp. The window itself is never shown.
class TForm14 {
public:
    // One report pixel: 1/96 inch at the layout's 240 % scale, in millimetres.
    static constexpr double ReportPixelMm = 25.4 / (96 * 2.4);

    // `shortfallsOnly` reads the main window's check box for every row;
    // `placeholder` gives the picture for numbers without a usable one.
    TForm14(Database& db, Dialogs& dialogs, std::function<bool()> shortfallsOnly, std::function<QString()> placeholder);
    ~TForm14();

    Report& QuickRep1() { return *report_; }

    // Binds the list to `condition` and finds `area`; false when it is not there.
    bool prepare(Condition condition, const AreaKey& area);
    // prepare, then the preview; returns when the preview has been closed.
    void run(Condition condition, const AreaKey& area);

    // The box of a picture of `filePixels`, in report pixels: the largest whole
    // percentage from 75 down that fits 100 x 100, halves rounded to even.
    static QSize pictureBox(QSize filePixels);

private:
    void beforeDetail(ReportBand& band, bool& print);

    std::unique_ptr<Report> report_;
    std::function<bool()> shortfallsOnly_;
    std::function<QString()> placeholder_;
};

} // namespace kvilbro
