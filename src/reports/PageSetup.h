#pragma once

#include "ReportFont.h"
#include "Sides.h"

#include <QSizeF>
#include <QString>

namespace kvilbro {

// The page of a report. Lengths are millimetres.
struct PageSetup {
    enum class Orientation : quint8 { Portrait, Landscape };
    enum class PaperSource : quint8 { FirstTray, Cassette };

    double paperWidth = 210; // A4, as held in portrait
    double paperHeight = 297;
    Orientation orientation = Orientation::Portrait;
    double topMargin = 10;
    double bottomMargin = 10;
    double leftMargin = 10;
    double rightMargin = 10;
    int columns = 1;
    double columnGap = 0;
    ReportFont baseFont;
    Sides pageFrame;
    QString title; // preview caption and print job name
    bool pageHeaderOnFirstPage = true;
    bool printIfEmpty = false;
    int firstPage = 0; // print range; 0 leaves that end open
    int lastPage = 0;
    PaperSource paperSource = PaperSource::FirstTray;
    int copies = 1;

    // The paper as laid out, orientation applied.
    QSizeF paperSize() const;
    double printableWidth() const { return paperSize().width() - leftMargin - rightMargin; }
    double columnWidth() const;
    double pageBottom() const { return paperSize().height() - bottomMargin; }
    bool inPrintRange(int page) const;
};

} // namespace kvilbro
