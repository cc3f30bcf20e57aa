#include "ReportBand.h"

namespace kvilbro {

ReportElement* ReportBand::element(QStringView elementName)
{
    for (ReportElement& e : elements) {
        if (e.name == elementName)
            return &e;
    }
    return nullptr;
}

const ReportElement* ReportBand::element(QStringView elementName) const
{
    return const_cast<ReportBand*>(this)->element(elementName);
}

} // namespace kvilbro
