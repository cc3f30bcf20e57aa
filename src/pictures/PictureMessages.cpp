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

namespace {

QString reasonOrKind(const QString& reason)
{
    // Opening refuses a pipe or a device before the system has a word for it.
    return reason.isEmpty() ? QStringLiteral("det er ikke en almindelig fil") : reason;
}

} // namespace

QString reportNotWritten(const QString& file, const QString& reason)
{
    return QStringLiteral("Filen %1 kan ikke skrives: %2").arg(file, reasonOrKind(reason));
}

QString reportNotRead(const QString& file, const QString& reason)
{
    return QStringLiteral("Filen %1 kan ikke læses: %2").arg(file, reasonOrKind(reason));
}

QString pathsTooLong(qsizetype count, int width)
{
    const QString what = count == 1 ? QStringLiteral("1 billede blev ikke indlæst, fordi dets fulde sti")
                                    : QStringLiteral("%1 billeder blev ikke indlæst, fordi deres fulde sti").arg(count);
    return QStringLiteral("%1 er længere end de %2 tegn, feltet Billede kan rumme. Flyt billederne til en mappe "
                          "med en kortere sti, og indlæs dem igen. De står i listen.")
        .arg(what)
        .arg(width);
}

QString pathTooLong(const QString& path, int width)
{
    return QStringLiteral("Billedet blev ikke tilføjet, fordi dets fulde sti er længere end de %1 tegn, feltet "
                          "Billede kan rumme: %2. Flyt billedet til en mappe med en kortere sti.")
        .arg(width)
        .arg(path);
}

QString folderNotOpened(const QString& folder)
{
    return QStringLiteral("Mappen %1 kan ikke åbnes").arg(folder);
}

QString cannotRead(const QString& file, const QString& reason)
{
    return QStringLiteral("Billedfilen %1 kan ikke læses: %2").arg(file, reason);
}

} // namespace kvilbro::picturemessages
