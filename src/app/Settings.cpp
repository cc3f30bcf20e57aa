#include "Settings.h"

#include "Error.h"

#include <QDir>
#include <QSaveFile>
#include <QStringEncoder>

namespace kvilbro {

namespace {
Settings& instance()
{
    static Settings settings;
    return settings;
}
} // namespace

const Settings& Settings::current()
{
    return instance();
}

Settings& Settings::forStartUp()
{
    return instance();
}

void Settings::setPathsFromWorkingDirectory()
{
    const QDir here = QDir::current();
    defaultPicture = QDir::toNativeSeparators(here.absoluteFilePath(QStringLiteral("frim.bmp")));
    reportPicture = QDir::toNativeSeparators(here.absoluteFilePath(QStringLiteral("frim2.jpg")));
    readmeFile = QDir::toNativeSeparators(here.absoluteFilePath(QStringLiteral("readme.html")));
}

void Settings::writeFile() const
{
    const QString name = QStringLiteral("MankoSys.stm");
    const QString full = QDir::toNativeSeparators(QDir::current().absoluteFilePath(name));
    auto fail = [&full](const QString& reason) {
        return Error(QStringLiteral("Indstillingsfilen %1 kan ikke skrives: %2").arg(full, reason), Error::Kind::File);
    };
    QStringEncoder encoder("windows-1252");
    const QString text = defaultPicture + QStringLiteral("\r\n") + reportPicture + QStringLiteral("\r\n") + readmeFile +
                         QStringLiteral("\r\n");
    const QByteArray bytes = encoder.encode(text);
    // Written aside and renamed into place, so a full disk never leaves half a file.
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly))
        throw fail(file.errorString());
    if (file.write(bytes) != bytes.size())
        throw fail(file.errorString());
    if (!file.commit())
        throw fail(file.errorString());
}

} // namespace kvilbro
