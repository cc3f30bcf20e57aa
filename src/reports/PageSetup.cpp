#include "PageSetup.h"

#include <algorithm>

namespace kvilbro {

QSizeF PageSetup::paperSize() const
{
    const double shorter = std::min(paperWidth, paperHeight);
    const double longer = std::max(paperWidth, paperHeight);
    return orientation == Orientation::Portrait ? QSizeF(shorter, longer) : QSizeF(longer, shorter);
}

double PageSetup::columnWidth() const
{
    const int n = std::max(1, columns);
    return (printableWidth() - (n - 1) * columnGap) / n;
}

bool PageSetup::inPrintRange(int page) const
{
    return (firstPage <= 0 || page >= firstPage) && (lastPage <= 0 || page <= lastPage);
}

} // namespace kvilbro
