#include "BackupFiles.h"

#include "Error.h"
#include "FieldRules.h"
#include "TableDef.h"
#include "WorkFolder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace kvilbro::backup {

using namespace detail;

namespace {

bool holdsCollection(const QString& dir)
{
    for (const TableDef* def : TableDef::all()) {
        if (QFileInfo::exists(QDir(dir).filePath(def->fileName)))
            return true;
    }
    return false;
}

} // namespace

Restored restore(const QString& folder, const QString& dir, bool tablesOnly)
{
    const Findings found = check(folder, false);
    if (!found.tables.isEmpty() || (!tablesOnly && !found.pictures.isEmpty())) {
        const QStringList faults = tablesOnly ? found.tables : found.all();
        const QString hint =
            found.tables.isEmpty()
                ? QStringLiteral(
                      " Only pictures are damaged: restore --tables-only brings the tables back without them.")
                : QString();
        throw failure(QStringLiteral("The backup %1 is damaged; nothing was restored: %2%3")
                          .arg(native(folder), faults.join(QStringLiteral(" ")), hint));
    }
    const QString target = QDir(dir).absolutePath();
    if (QFileInfo::exists(target) &&
        (!QFileInfo(target).isDir() ||
         !QDir(target).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty()))
        throw failure(QStringLiteral("%1 is not an empty folder; a backup is restored only into an empty one%2.")
                          .arg(native(target),
                               holdsCollection(target) ? QStringLiteral(", never over a collection") : QString()));
    const QString parent = QFileInfo(target).absolutePath();
    if (!QDir().mkpath(parent))
        throw failure(QStringLiteral("The folder %1 cannot be created.").arg(native(parent)));
    const QString workPrefix = QStringLiteral(".kvilbro-restore-");
    WorkFolder::removeAbandoned(parent, workPrefix);
    WorkFolder work(parent, workPrefix);
    if (!work.isValid())
        throw failure(QStringLiteral("Nothing can be written in %1: %2").arg(native(parent), work.errorString()));

    for (const TableDef* def : TableDef::all()) {
        copyFile(QDir(folder).filePath(def->fileName), QDir(work.path()).filePath(def->fileName));
    }
    Restored restored;
    const TableDef& numbersDef = TableDef::get(TableId::Numbers);
    Db numbers = open(QDir(work.path()).filePath(numbersDef.fileName), SQLITE_OPEN_READWRITE);
    exec(numbers.get(), QStringLiteral("BEGIN IMMEDIATE"), numbersDef.fileName);
    if (!tablesOnly && QFileInfo::exists(QDir(folder).filePath(PictureList))) {
        restored.withPictures = true;
        const std::unique_ptr<QFile> pictures = openToRead(QDir(folder).filePath(PictureList));
        LineReader lines(*pictures, PictureList);
        QByteArray bytes;
        QDir(work.path()).mkpath(QStringLiteral("billeder"));
        const FieldDef& field = numbersDef.fields[numbersDef.fieldIndex(u"Billede")];
        // Every path is rewritten from the value it had in the backup, in one
        // statement: a path just written is never taken for an old one.
        exec(numbers.get(), QStringLiteral("CREATE TEMP TABLE restored_path (old TEXT PRIMARY KEY, new TEXT NOT NULL)"),
             numbersDef.fileName);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(numbers.get(), "INSERT OR IGNORE INTO temp.restored_path (old, new) VALUES (?1, ?2)", -1,
                           &insert, nullptr);
        std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> insertGuard(insert, sqlite3_finalize);
        while (lines.next(bytes)) {
            const QString line = QString::fromUtf8(bytes);
            const qsizetype tab = line.indexOf(u'\t');
            const QString copyName = line.left(tab);
            const QString original = line.mid(tab + 1);
            if (tab <= 0 || copyName.contains(u'/'))
                continue;
            copyFile(QDir(folder).filePath(PictureFolder + u'/' + copyName),
                     QDir(work.path()).filePath(QStringLiteral("billeder/") + copyName));
            const QString rewritten = target + QStringLiteral("/billeder/") + copyName;
            if (!storedAsIs(field, rewritten)) {
                restored.kept << original;
                continue;
            }
            const QByteArray from = original.toUtf8();
            const QByteArray to = rewritten.toUtf8();
            sqlite3_bind_text(insert, 1, from.constData(), int(from.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, to.constData(), int(to.size()), SQLITE_TRANSIENT);
            if (!insert || sqlite3_step(insert) != SQLITE_DONE)
                throw failure(QStringLiteral("%1: %2").arg(numbersDef.fileName, sqliteError(numbers.get())));
            sqlite3_reset(insert);
        }
        if (!lines.fault().isEmpty())
            throw failure(lines.fault());
        exec(numbers.get(),
             QStringLiteral("UPDATE stm2manc SET Billede = (SELECT new FROM temp.restored_path WHERE old = Billede) "
                            "WHERE Billede IN (SELECT old FROM temp.restored_path)"),
             numbersDef.fileName);
        restored.rewritten = sqlite3_changes(numbers.get());
    }
    exec(numbers.get(), QStringLiteral("COMMIT"), numbersDef.fileName);
    numbers.reset();
    // The program keeps its tables in WAL mode, as the table tool makes them.
    for (const TableDef* def : TableDef::all()) {
        const QString file = QDir(work.path()).filePath(def->fileName);
        exec(open(file, SQLITE_OPEN_READWRITE).get(), QStringLiteral("PRAGMA journal_mode=WAL"), file);
    }
    if (QFileInfo::exists(target) && !QDir().rmdir(target))
        throw failure(QStringLiteral("%1 cannot be replaced.").arg(native(target)));
    if (!work.moveTo(target))
        throw failure(QStringLiteral("The restored collection cannot be moved to %1: %2")
                          .arg(native(target), work.errorString()));
    return restored;
}

} // namespace kvilbro::backup
