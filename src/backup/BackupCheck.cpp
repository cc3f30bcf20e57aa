#include "BackupFiles.h"

#include "Error.h"
#include "TableDef.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace kvilbro::backup {

using namespace detail;

QStringList verify(const QString& folder)
{
    return check(folder, false);
}

namespace detail {

namespace {

// Each line of the picture list names a copy the MANIFEST lists and the path
// it came from.
void checkPictureList(const QString& folder, const QStringList& listed, QStringList& faults)
{
    try {
        const std::unique_ptr<QFile> file = openToRead(QDir(folder).filePath(PictureList));
        LineReader lines(*file, PictureList);
        QByteArray line;
        while (lines.next(line)) {
            const QString text = QString::fromUtf8(line);
            const qsizetype tab = text.indexOf(u'\t');
            const QString copyName = text.left(tab);
            if (tab <= 0 || copyName.contains(u'/') || hasControlCharacter(text.mid(tab + 1)) ||
                !listed.contains(PictureFolder + u'/' + copyName))
                faults << QStringLiteral("%1 line %2 names no picture of the backup.")
                              .arg(PictureList)
                              .arg(lines.number());
        }
        if (!lines.fault().isEmpty())
            faults << lines.fault();
    } catch (const Error& e) {
        faults << e.message();
    }
}

} // namespace

QStringList check(const QString& folder, bool working)
{
    QStringList faults;
    QStringList listed;
    try {
        const std::unique_ptr<QFile> manifest = openToRead(QDir(folder).filePath(Manifest));
        LineReader lines(*manifest, Manifest);
        QByteArray line;
        while (lines.next(line)) {
            const QString text = QString::fromUtf8(line);
            const qsizetype gap = text.indexOf(QStringLiteral("  "));
            const QString name = gap > 0 ? text.mid(gap + 2) : QString();
            if (gap != 64 || name.isEmpty() || name.startsWith(u'/') ||
                name.split(u'/').contains(QStringLiteral("..")) || hasControlCharacter(name)) {
                faults << QStringLiteral("MANIFEST line %1 is not a sum and a file of the backup.").arg(lines.number());
                continue;
            }
            listed << name;
            const QString path = QDir(folder).filePath(name);
            if (!QFileInfo(path).exists() && !QFileInfo(path).isSymLink()) {
                faults << QStringLiteral("%1 is missing.").arg(name);
                continue;
            }
            try {
                if (sha256(path) != text.left(64).toLatin1())
                    faults << QStringLiteral("%1 has changed since the backup was made.").arg(name);
            } catch (const Error& e) {
                faults << e.message();
            }
        }
        if (!lines.fault().isEmpty())
            faults << lines.fault();
    } catch (const Error& e) {
        return {e.message()};
    }
    for (const QString& name : filesOf(folder, working)) {
        if (!listed.contains(name))
            faults << QStringLiteral("%1 is not in the MANIFEST.").arg(name);
    }
    if (listed.contains(PictureList))
        checkPictureList(folder, listed, faults);
    for (const TableDef* def : TableDef::all()) {
        if (!listed.contains(def->fileName)) {
            faults << QStringLiteral("%1 is not in the backup.").arg(def->fileName);
            continue;
        }
        if (!isRealFile(QDir(folder).filePath(def->fileName)))
            continue; // said above
        try {
            Db copy = openCopy(QDir(folder).filePath(def->fileName));
            const QString found = integrity(copy.get());
            if (found != QLatin1String("ok"))
                faults << QStringLiteral("%1 is not sound: %2").arg(def->fileName, found);
        } catch (const Error& e) {
            faults << e.message();
        }
    }
    return faults;
}

} // namespace detail

} // namespace kvilbro::backup
