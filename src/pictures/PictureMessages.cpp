#include "PictureMessages.h"

namespace kvilbro::picturemessages {

QString unknownExtension(const QString& extension)
{
    return QStringLiteral("Unknown picture file extension (.%1)").arg(extension);
}

QString cannotOpen(const QString& file, const QString& reason)
{
    return QStringLiteral("Billedfilen %1 kan ikke åbnes: %2").arg(file, reason);
}

QString tooLarge(const QString& file, qint64 width, qint64 height, qint64 maxBytes)
{
    const QString size = QStringLiteral("%1 × %2 punkter").arg(width).arg(height);
    QString limit = QStringLiteral("%1 byte").arg(maxBytes);
    if (maxBytes > 0 && maxBytes % (qint64(1) << 30) == 0)
        limit = QStringLiteral("%1 GiB").arg(maxBytes >> 30);
    else if (maxBytes > 0 && maxBytes % (qint64(1) << 20) == 0)
        limit = QStringLiteral("%1 MiB").arg(maxBytes >> 20);
    if (file.isEmpty())
        return QStringLiteral("Billedet er for stort til at blive vist: %1 ville bruge mere end %2 hukommelse")
            .arg(size, limit);
    return QStringLiteral("Billedet %1 er for stort til at blive vist: %2 ville bruge mere end %3 hukommelse")
        .arg(file, size, limit);
}

QString notEnoughMemory()
{
    return QStringLiteral("Der er ikke hukommelse nok til at vise billedet");
}

} // namespace kvilbro::picturemessages
