#pragma once

#include <QFont>
#include <QString>

namespace kvilbro {

// A font as a report names it: family, size in points, bold.
struct ReportFont {
    QString family = QStringLiteral("Arial");
    double pointSize = 10;
    bool bold = false;

    friend bool operator==(const ReportFont&, const ReportFont&) = default;

    // The Qt font for drawing at `scale` times the point size. Hinting is off so
    // that advances scale linearly and every device spaces glyphs alike.
    QFont toQFont(double scale = 1.0) const;
    // "Arial 10 bold"
    QString describe() const;
};

} // namespace kvilbro
