#include "ReportDefinition.h"

namespace kvilbro {

ReportBand* ReportDefinition::band(ReportBand::Kind kind)
{
    for (ReportBand& b : bands) {
        if (b.kind == kind)
            return &b;
    }
    return nullptr;
}

const ReportBand* ReportDefinition::band(ReportBand::Kind kind) const
{
    return const_cast<ReportDefinition*>(this)->band(kind);
}

ReportBand* ReportDefinition::band(QStringView name)
{
    for (ReportBand& b : bands) {
        if (b.name == name)
            return &b;
    }
    return nullptr;
}

ReportElement* ReportDefinition::element(QStringView name)
{
    for (ReportBand& b : bands) {
        if (ReportElement* e = b.element(name))
            return e;
    }
    return nullptr;
}

} // namespace kvilbro
