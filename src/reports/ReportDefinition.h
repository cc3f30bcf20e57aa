#pragma once

#include "PageSetup.h"
#include "ReportBand.h"

#include <QList>

namespace kvilbro {

// A report as data: its page and its bands, top to bottom.
struct ReportDefinition {
    PageSetup page;
    QList<ReportBand> bands;

    ReportBand* band(ReportBand::Kind kind);
    const ReportBand* band(ReportBand::Kind kind) const;
    ReportBand* band(QStringView name);
    // The element of that name in any band.
    ReportElement* element(QStringView name);
};

} // namespace kvilbro
