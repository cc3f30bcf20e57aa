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

// The faults of a backup; `working` skips the lock file of a work folder.
QStringList check(const QString& folder, bool working)
{
    Q_UNUSED(working);
    QStringList faults;
    QFile manifest(QDir(folder).filePath(Manifest));
    if (!manifest.open(QIODevice::ReadOnly))
        return {QStringLiteral("%1 cannot be read: %2").arg(native(manifest.fileName()), manifest.errorString())};
    QStringList listed;
    int line = 0;
    while (!manifest.atEnd()) {
        ++line;
        QString text = QString::fromUtf8(manifest.readLine());
        if (text.endsWith(u'\n'))
            text.chop(1);
        const qsizetype gap = text.indexOf(QStringLiteral("  "));
        const QString name = gap > 0 ? text.mid(gap + 2) : QString();
        if (gap != 64 || name.isEmpty() || name.startsWith(u'/') || name.split(u'/').contains(QStringLiteral(".."))) {
            faults << QStringLiteral("MANIFEST line %1 is not a sum and a file of the backup.").arg(line);
            continue;
        }
        listed << name;
        const QString path = QDir(folder).filePath(name);
        if (!QFileInfo(path).isFile()) {
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
    for (const QString& name : filesOf(folder)) {
        if (!listed.contains(name))
            faults << QStringLiteral("%1 is not in the MANIFEST.").arg(name);
    }
    for (const TableDef* def : TableDef::all()) {
        if (!listed.contains(def->fileName)) {
            faults << QStringLiteral("%1 is not in the backup.").arg(def->fileName);
            continue;
        }
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
