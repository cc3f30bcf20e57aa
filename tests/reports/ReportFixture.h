#pragma once

#include "Collection.h"
#include "Database.h"
#include "PageList.h"
#include "Report.h"
#include "ScriptedDialogs.h"

#include <QRectF>
#include <QString>

#include <memory>

namespace kvilbro::test {

// A collection with one area and a report over it in round numbers:
// A4, margins of 10 mm, five columns of 38 mm, a page header of 20 mm, a
// column header of 5 mm and detail rows of 10 mm, every band framed all round,
// so each placed band shows up as one frame item.
struct ReportFixture {
    explicit ReportFixture(int rows = 0, const QString& areaName = QStringLiteral("Danmark"));

    QString areaName;

    Collection collection;
    std::unique_ptr<Database> db;
    ScriptedDialogs dialogs;
    std::unique_ptr<Report> report;
};

// One text item of a page.
struct PlacedText {
    QString text;
    double x = 0;
    double baseline = 0;
};

// Frames of bands in the order placed; the page frame comes last.
QList<QRectF> frames(const Page& page);
QList<PlacedText> texts(const Page& page);
QStringList textsOf(const Page& page);
// The texts of the detail rows of a page ("1", "2", ...), in order placed.
QStringList rowNumbers(const Page& page);

inline const QString AreaId = QStringLiteral("DK");

// Compares `actual` with the reference `dir/name.txt`, line by line; with
// KVILBRO_UPDATE_GOLDEN set it writes the reference instead and skips.
void compareWithGolden(const QString& dir, const QString& name, const QString& actual);

} // namespace kvilbro::test
