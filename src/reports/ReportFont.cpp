#include "ReportFont.h"

namespace kvilbro {

QFont ReportFont::toQFont(double scale) const
{
    QFont font(family);
    font.setPointSizeF(pointSize * scale);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(true);
    return font;
}

QString ReportFont::describe() const
{
    QString text = family + u' ' + QString::number(pointSize);
    if (bold)
        text += QLatin1String(" bold");
    return text;
}

} // namespace kvilbro
