#pragma once

#include "ReportElement.h"
#include "Sides.h"

#include <QList>
#include <QString>

namespace kvilbro {

// A band: a strip of the page with a white background, frame sides and elements.
// A page header spans the printable width; column headers and details one column.
struct ReportBand {
    enum class Kind : quint8 { PageHeader, ColumnHeader, Detail };

    Kind kind = Kind::Detail;
    QString name;
    double height = 0; // mm
    Sides frame;
    QList<ReportElement> elements;

    ReportElement* element(QStringView elementName);
    const ReportElement* element(QStringView elementName) const;
};

} // namespace kvilbro
