#pragma once

#include "ReportBand.h"
#include "ReportFont.h"

namespace kvilbro {

// The page header that opens every page of the want lists: the collector's
// details at the left, the title in the middle, the area, page number and date
// at the right. Element names, so that commands can reach them:
//   CollectorName, CollectorAddress, CollectorTown (the picture list: CollectorDate),
//   Title, Subtitle (mark-type and combined lists), AreaDescription,
//   PageLabel, PageNumber, DateLabel, Date.
class CommonPageHeader {
public:
    enum class Variant { MarkType, Combined, AllInformation, Picture };

    static ReportBand make(Variant variant, const QString& bandName = QStringLiteral("PageHeaderBand1"));
    // The base font of the reports that use the variant.
    static ReportFont baseFont(Variant variant);
};

} // namespace kvilbro
