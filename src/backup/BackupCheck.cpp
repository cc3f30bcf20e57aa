#include "BackupFiles.h"

#include "Error.h"
#include "FileCheck.h"
#include "TableDef.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <sys/stat.h>

namespace kvilbro::backup {

using namespace detail;

QStringList verify(const QString& folder)
{
    return check(folder, false).all();
}

namespace detail {

void Findings::add(const QString& name, const QString& fault)
{
    const bool picture = name == PictureList || name == PictureFolder || name.startsWith(PictureFolder + u'/');
    (picture ? pictures : tables) << fault;
}

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

// A backup holds its files and the one folder of pictures, never a link: a
// link would let a restore copy in a file from anywhere.
void checkEntries(const QString& folder, Findings& found)
{
    const QDir::Filters all = QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot;
    QStringList names = QDir(folder).entryList(all, QDir::Name);
    if (isRealFolder(QDir(folder).filePath(PictureFolder))) {
        for (const QString& name : QDir(QDir(folder).filePath(PictureFolder)).entryList(all, QDir::Name))
            names << PictureFolder + u'/' + name;
    }
    for (const QString& name : std::as_const(names)) {
        struct stat st {};
        if (::lstat(QFile::encodeName(QDir(folder).filePath(name)).constData(), &st) != 0)
            continue;
        if (S_ISLNK(st.st_mode))
            found.add(name, QStringLiteral("%1 is a link; a backup holds none.").arg(name));
        else if (S_ISDIR(st.st_mode) && name != PictureFolder)
            found.add(name, QStringLiteral("%1 is a folder that is no part of a backup.").arg(name));
    }
}

// The table file as the program checks one before it opens it.
void checkTable(const QString& folder, const TableDef& def, QStringList& faults)
{
    const QString path = QDir(folder).filePath(def.fileName);
    if (filecheck::isParadoxTable(path)) {
        faults << QStringLiteral("%1 is an old Paradox table, not a copy made by a backup.").arg(def.fileName);
        return;
    }
    Db copy = openCopy(path);
    // Mapped, the check reads each page once instead of through a small cache.
    sqlite3_exec(copy.get(), "PRAGMA mmap_size=1073741824", nullptr, nullptr, nullptr);
    QStringList found = filecheck::damage(copy.get(), QStringLiteral("main"), def.fileName, true);
    if (found.isEmpty())
        found = filecheck::schemaFaults(copy.get(), QStringLiteral("main"), def, def.fileName);
    faults << found;
}

} // namespace

Findings check(const QString& folder, bool working)
{
    Findings found;
    QStringList& faults = found.tables;
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
                found.add(name, QStringLiteral("%1 is missing.").arg(name));
                continue;
            }
            try {
                if (sha256(path) != text.left(64).toLatin1())
                    found.add(name, QStringLiteral("%1 has changed since the backup was made.").arg(name));
            } catch (const Error& e) {
                found.add(name, e.message());
            }
        }
        if (!lines.fault().isEmpty())
            faults << lines.fault();
    } catch (const Error& e) {
        faults << e.message();
        return found;
    }
    checkEntries(folder, found);
    for (const QString& name : filesOf(folder, working)) {
        if (!listed.contains(name))
            found.add(name, QStringLiteral("%1 is not in the MANIFEST.").arg(name));
    }
    if (listed.contains(PictureList))
        checkPictureList(folder, listed, found.pictures);
    for (const TableDef* def : TableDef::all()) {
        if (!listed.contains(def->fileName)) {
            faults << QStringLiteral("%1 is not in the backup.").arg(def->fileName);
            continue;
        }
        if (!isRealFile(QDir(folder).filePath(def->fileName)))
            continue; // said above
        try {
            checkTable(folder, *def, faults);
        } catch (const Error& e) {
            faults << e.message();
        }
    }
    return found;
}

} // namespace detail

} // namespace kvilbro::backup
