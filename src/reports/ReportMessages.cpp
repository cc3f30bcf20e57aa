#include "ReportMessages.h"

namespace kvilbro::reportmessages {

QString cannotWrite(const QString& path, const QString& reason)
{
    if (reason.isEmpty())
        return QStringLiteral("Filen %1 kan ikke skrives.").arg(path);
    return QStringLiteral("Filen %1 kan ikke skrives: %2").arg(path, reason);
}

QString cannotOpen(const QString& path, const QString& reason)
{
    return QStringLiteral("Filen %1 kan ikke åbnes: %2").arg(path, reason);
}

QString notAReportFile(const QString& path)
{
    return QStringLiteral("Filen %1 er ikke en rapportfil, eller den er beskadiget.").arg(path);
}

QString reportFileOfAnotherVersion(const QString& path)
{
    return QStringLiteral("Rapportfilen %1 er gemt af en anden version af programmet og kan ikke vises.").arg(path);
}

QString noSuchElement(const QString& name)
{
    return QStringLiteral("Rapporten har intet element ved navn %1.").arg(name);
}

QString printerWillNotStart(const QString& printer)
{
    return QStringLiteral("Udskriften kan ikke startes på printeren %1.").arg(printer);
}

QString printerStopped()
{
    return QStringLiteral("Udskriften blev afbrudt af printeren.");
}

QString nothingToPrint(int firstPage, int pageCount)
{
    if (pageCount == 0)
        return QStringLiteral("Der er intet at udskrive: listen har ingen sider.");
    return QStringLiteral("Der er intet at udskrive: udskriften skal begynde på side %1, men listen har kun %2 sider.")
        .arg(firstPage)
        .arg(pageCount);
}

QString pictureOfNumber(const QString& number, const QString& file, const QString& detail)
{
    return QStringLiteral("Billedet til nummer %1 (%2) kan ikke bruges: %3").arg(number, file, detail);
}

} // namespace kvilbro::reportmessages
