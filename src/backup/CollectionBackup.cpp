#include "CollectionBackup.h"

#include "Error.h"
#include "FieldRules.h"
#include "TableDef.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QThread>
#include <QUrl>
#include <QUuid>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace kvilbro::backup {

namespace {

const QString Manifest = QStringLiteral("MANIFEST");
const QString PictureList = QStringLiteral("pictures.txt");
const QString PictureFolder = QStringLiteral("pictures");
// Which collection a backup came from, who made it, whether it holds pictures.
const QString Origin = QStringLiteral("ORIGIN");
// The collection's own id, made on first need; the tables stay as they are.
const QString CollectionId = QStringLiteral(".kvilbro-collection-id");
constexpr qint64 MaxLine = 8192;

struct CloseDb {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using Db = std::unique_ptr<sqlite3, CloseDb>;

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

Error failure(const QString& text)
{
    return Error(text, Error::Kind::File);
}

QString sqliteError(sqlite3* db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

Db open(const QString& path, int flags)
{
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, flags | SQLITE_OPEN_URI, nullptr);
    Db db(raw);
    if (rc != SQLITE_OK)
        throw failure(QStringLiteral("%1 cannot be opened: %2").arg(native(path), sqliteError(raw)));
    // A file is data: nothing in it may run.
    sqlite3_db_config(raw, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_busy_timeout(raw, 5000);
    return db;
}

// Opens a finished copy without ever writing beside it.
Db openCopy(const QString& path)
{
    const QString uri =
        QStringLiteral("file:%1?mode=ro&immutable=1").arg(QString::fromUtf8(QUrl::toPercentEncoding(path, "/")));
    return open(uri, SQLITE_OPEN_READONLY);
}

void exec(sqlite3* db, const QString& sql, const QString& file)
{
    char* message = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        const QString reason = message ? QString::fromUtf8(message) : sqliteError(db);
        sqlite3_free(message);
        throw failure(QStringLiteral("%1: %2").arg(native(file), reason));
    }
}

// "ok", or what SQLite found wrong.
QString integrity(sqlite3* db)
{
    // Mapped, the check reads each page once instead of through a small cache.
    sqlite3_exec(db, "PRAGMA mmap_size=1073741824", nullptr, nullptr, nullptr);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr) != SQLITE_OK)
        return sqliteError(db);
    QStringList found;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        found << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        return sqliteError(db);
    return found.join(QStringLiteral("; "));
}

QByteArray sha256(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw failure(QStringLiteral("%1 cannot be read: %2").arg(native(path), file.errorString()));
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file) || file.error() != QFileDevice::NoError)
        throw failure(QStringLiteral("%1 cannot be read: %2").arg(native(path), file.errorString()));
    return hash.result().toHex();
}

void syncFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || ::fsync(file.handle()) != 0)
        throw failure(QStringLiteral("%1 cannot be written to the disk: %2").arg(native(path), file.errorString()));
}

// Copies the three tables from one read transaction, so they show one moment.
void copyTables(const QString& dir, const QString& into)
{
    const TableDef& numbers = TableDef::get(TableId::Numbers);
    const QString main = QDir(dir).filePath(numbers.fileName);
    Db source = open(main, SQLITE_OPEN_READONLY);
    for (const TableDef* def : TableDef::all()) {
        if (def->schemaName == QLatin1String("main"))
            continue;
        const QString file = QDir(dir).filePath(def->fileName);
        exec(source.get(),
             QStringLiteral("ATTACH DATABASE '%1' AS %2")
                 .arg(QString(file).replace(QStringLiteral("'"), QStringLiteral("''")), def->schemaName),
             file);
    }
    exec(source.get(), QStringLiteral("BEGIN"), main);
    for (const TableDef* def : TableDef::all())
        exec(source.get(), QStringLiteral("SELECT count(*) FROM %1.sqlite_schema").arg(def->schemaName),
             QDir(dir).filePath(def->fileName));
    for (const TableDef* def : TableDef::all()) {
        const QString target = QDir(into).filePath(def->fileName);
        Db copy = open(target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        sqlite3_backup* backup =
            sqlite3_backup_init(copy.get(), "main", source.get(), def->schemaName.toUtf8().constData());
        if (!backup)
            throw failure(QStringLiteral("%1: %2").arg(native(target), sqliteError(copy.get())));
        // A new file in a folder that counts only once it is complete: one
        // sync at the end is enough.
        exec(copy.get(), QStringLiteral("PRAGMA synchronous=OFF"), target);
        int rc;
        while ((rc = sqlite3_backup_step(backup, -1)) == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
            if (rc != SQLITE_OK)
                QThread::msleep(20);
        }
        sqlite3_backup_finish(backup);
        if (rc != SQLITE_DONE)
            throw failure(QStringLiteral("%1: %2").arg(native(target), sqliteError(copy.get())));
        // One self-contained file, no journal beside it.
        exec(copy.get(), QStringLiteral("PRAGMA journal_mode=DELETE"), target);
        copy.reset();
        syncFile(target);
    }
    exec(source.get(), QStringLiteral("COMMIT"), main);
}

// The sums of the copied tables; the finished folder is checked as a whole.
QHash<QString, QByteArray> sumTables(const QString& folder)
{
    QHash<QString, QByteArray> sums;
    for (const TableDef* def : TableDef::all())
        sums.insert(def->fileName, sha256(QDir(folder).filePath(def->fileName)));
    return sums;
}

// A name with a line feed, tab or other control character would break the
// lists of the backup.
bool hasControlCharacter(const QString& path)
{
    return std::any_of(path.begin(), path.end(), [](QChar ch) { return ch.unicode() < 0x20 || ch.unicode() == 0x7f; });
}

// Each picture file a number names, copied once; the list says where each came from.
void copyPictures(const QString& dir, const QString& into, Made& made)
{
    Db numbers = openCopy(QDir(into).filePath(TableDef::get(TableId::Numbers).fileName));
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(numbers.get(),
                       "SELECT DISTINCT Billede FROM stm2manc WHERE Billede IS NOT NULL AND Billede <> ''", -1, &stmt,
                       nullptr);
    QStringList paths;
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW)
        paths << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    paths.sort();
    QDir(into).mkpath(PictureFolder);
    QString list;
    for (const QString& path : std::as_const(paths)) {
        const QFileInfo info(QDir(dir), path);
        if (hasControlCharacter(path) || !info.isFile()) {
            made.missingPictures << path;
            continue;
        }
        const QString copyName =
            QStringLiteral("%1-%2").arg(made.pictures + 1, 5, 10, QLatin1Char('0')).arg(info.fileName());
        const QString target = QDir(into).filePath(PictureFolder + u'/' + copyName);
        if (!QFile::copy(info.absoluteFilePath(), target))
            throw failure(QStringLiteral("The picture %1 cannot be copied to %2.").arg(native(path), native(target)));
        list += copyName + u'\t' + path + u'\n';
        ++made.pictures;
    }
    QSaveFile file(QDir(into).filePath(PictureList));
    const QByteArray bytes = list.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw failure(QStringLiteral("%1 cannot be written: %2").arg(native(file.fileName()), file.errorString()));
}

// Every file of the backup but the manifest, relative to its folder, sorted.
QStringList filesOf(const QString& folder)
{
    QStringList files;
    const QDir base(folder);
    for (const QString& name : base.entryList(QDir::Files, QDir::Name)) {
        if (name != Manifest)
            files << name;
    }
    for (const QString& name : QDir(base.filePath(PictureFolder)).entryList(QDir::Files, QDir::Name))
        files << PictureFolder + u'/' + name;
    return files;
}

void writeManifest(const QString& folder, const QHash<QString, QByteArray>& known)
{
    QByteArray text;
    for (const QString& name : filesOf(folder)) {
        const QByteArray sum = known.contains(name) ? known.value(name) : sha256(QDir(folder).filePath(name));
        text += sum + "  " + name.toUtf8() + '\n';
    }
    QSaveFile file(QDir(folder).filePath(Manifest));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        throw failure(QStringLiteral("%1 cannot be written: %2").arg(native(file.fileName()), file.errorString()));
}

const QRegularExpression& backupName()
{
    static const QRegularExpression name(QStringLiteral("^kvilbro-backup-\\d{4}-\\d\\d-\\d\\d-\\d{6}(-\\d+)?$"));
    return name;
}

// lstat's view: a link is never taken for what it points at.
bool isRealFolder(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isRealFile(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

QString makerName(Maker by)
{
    return by == Maker::Daily ? QStringLiteral("daily") : QStringLiteral("backup");
}

// The id in the collection folder, made when absent. Made under another name
// and linked into place, so two programs starting at once agree on one id.
QString collectionId(const QString& dir)
{
    const QString path = QDir(dir).filePath(CollectionId);
    for (int attempt = 0; attempt < 2; ++attempt) {
        QFile file(path);
        if (isRealFile(path) && file.open(QIODevice::ReadOnly)) {
            const QUuid id = QUuid::fromString(QString::fromLatin1(file.read(64)).trimmed());
            if (id.isNull())
                throw failure(QStringLiteral("%1 holds no collection id.").arg(native(path)));
            return id.toString(QUuid::WithoutBraces);
        }
        if (QFileInfo(path).isSymLink() || QFileInfo::exists(path))
            throw failure(QStringLiteral("%1 cannot be read.").arg(native(path)));
        QTemporaryFile made(path + QStringLiteral(".XXXXXX"));
        const QByteArray text = QUuid::createUuid().toString(QUuid::WithoutBraces).toLatin1() + '\n';
        if (!made.open() || made.write(text) != text.size() || !made.flush() || ::fsync(made.handle()) != 0)
            throw failure(QStringLiteral("%1 cannot be written: %2").arg(native(path), made.errorString()));
        if (::link(QFile::encodeName(made.fileName()).constData(), QFile::encodeName(path).constData()) != 0 &&
            errno != EEXIST)
            throw failure(QStringLiteral("%1 cannot be written: %2")
                              .arg(native(path), QString::fromLocal8Bit(std::strerror(errno))));
    }
    throw failure(QStringLiteral("%1 cannot be read.").arg(native(path)));
}

void writeOrigin(const QString& folder, const QString& id, Maker by, bool withPictures)
{
    const QByteArray text = "collection " + id.toLatin1() + "\nmade-by " + makerName(by).toLatin1() + "\npictures " +
                            (withPictures ? "yes" : "no") + "\n";
    QSaveFile file(QDir(folder).filePath(Origin));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        throw failure(QStringLiteral("%1 cannot be written: %2").arg(native(file.fileName()), file.errorString()));
}

// The sum the MANIFEST gives `name`; empty when it names no such file.
QByteArray listedSum(const QString& folder, const QString& name)
{
    const QString path = QDir(folder).filePath(Manifest);
    QFile manifest(path);
    if (!isRealFile(path) || !manifest.open(QIODevice::ReadOnly))
        return {};
    const QByteArray wanted = "  " + name.toUtf8();
    while (!manifest.atEnd()) {
        QByteArray line = manifest.readLine(MaxLine);
        if (line.endsWith('\n'))
            line.chop(1);
        if (line.size() == 64 + wanted.size() && line.endsWith(wanted))
            return line.left(64);
    }
    return {};
}

// Whether rotation may remove `folder`: its origin, covered by its sums, says
// the same collection and maker.
bool madeBy(const QString& folder, const QString& id, Maker by)
{
    const QString path = QDir(folder).filePath(Origin);
    const QByteArray sum = listedSum(folder, Origin);
    QFile file(path);
    if (sum.isEmpty() || !isRealFile(path) || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = file.read(1024);
    if (QCryptographicHash::hash(text, QCryptographicHash::Sha256).toHex() != sum)
        return false;
    const QList<QByteArray> lines = text.split('\n');
    return lines.contains("collection " + id.toLatin1()) && lines.contains("made-by " + makerName(by).toLatin1());
}

bool holdsCollection(const QString& dir)
{
    for (const TableDef* def : TableDef::all()) {
        if (QFileInfo::exists(QDir(dir).filePath(def->fileName)))
            return true;
    }
    return false;
}

} // namespace

namespace {
QStringList check(const QString& folder, bool working);
} // namespace

QString defaultDestination(const QString& dir)
{
    return QDir(dir).filePath(QStringLiteral("backups"));
}

QStringList list(const QString& destination)
{
    QStringList backups;
    const QDir base(destination);
    for (const QString& name : base.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
        if (backupName().match(name).hasMatch() && isRealFolder(base.filePath(name)) &&
            isRealFile(base.filePath(name + u'/' + Manifest)))
            backups << base.filePath(name);
    }
    return backups;
}

bool madeOn(const QString& destination, const QDate& day)
{
    const QString prefix = QStringLiteral("kvilbro-backup-") + day.toString(QStringLiteral("yyyy-MM-dd")) + u'-';
    for (const QString& folder : list(destination)) {
        if (QFileInfo(folder).fileName().startsWith(prefix))
            return true;
    }
    return false;
}

Made make(const QString& dir, const QString& destination, int keep, bool withPictures, const QDateTime& now, Maker by)
{
    const QString collection = QDir(dir.isEmpty() ? QStringLiteral(".") : dir).absolutePath();
    for (const TableDef* def : TableDef::all()) {
        if (!QFileInfo(QDir(collection).filePath(def->fileName)).isFile())
            throw failure(
                QStringLiteral("%1 holds no collection: %2 is missing.").arg(native(collection), def->fileName));
    }
    const QString id = collectionId(collection);
    if (!QDir().mkpath(destination))
        throw failure(QStringLiteral("The folder %1 cannot be created.").arg(native(destination)));
    const QString target = QDir(destination).absolutePath();

    // Made aside and renamed when complete: a failure leaves no half backup.
    QTemporaryDir work(QDir(target).filePath(QStringLiteral(".kvilbro-backup-XXXXXX")));
    if (!work.isValid())
        throw failure(QStringLiteral("Nothing can be written in %1: %2").arg(native(target), work.errorString()));
    Made made;
    copyTables(collection, work.path());
    const QHash<QString, QByteArray> sums = sumTables(work.path());
    if (withPictures)
        copyPictures(collection, work.path(), made);
    writeOrigin(work.path(), id, by, withPictures);
    writeManifest(work.path(), sums);

    QString name = QStringLiteral("kvilbro-backup-") + now.toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    for (int n = 2; QFileInfo::exists(QDir(target).filePath(name)); ++n)
        name = QStringLiteral("kvilbro-backup-%1-%2").arg(now.toString(QStringLiteral("yyyy-MM-dd-HHmmss"))).arg(n);
    // Checked as `verify` checks it, before it counts.
    const QStringList faults = check(work.path(), true);
    if (!faults.isEmpty())
        throw failure(QStringLiteral("The backup made in %1 is not sound; it was not kept: %2")
                          .arg(native(target), faults.join(QStringLiteral(" "))));
    made.folder = QDir(target).filePath(name);
    if (!QDir().rename(work.path(), made.folder))
        throw failure(QStringLiteral("The backup cannot be named %1.").arg(native(made.folder)));
    work.setAutoRemove(false);

    QStringList backups;
    for (const QString& folder : list(target)) {
        if (folder == made.folder || madeBy(folder, id, by))
            backups << folder;
    }
    while (keep > 0 && backups.size() > keep) {
        const QString oldest = backups.takeFirst();
        if (oldest == made.folder)
            break;
        // Checked again just before: only a real folder is emptied.
        if (isRealFolder(oldest) && QDir(oldest).removeRecursively())
            made.removed << oldest;
        else
            made.notRemoved << oldest;
    }
    return made;
}

QStringList verify(const QString& folder)
{
    return check(folder, false);
}

namespace {

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
        const QString text = QString::fromUtf8(manifest.readLine()).chopped(1);
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

} // namespace

Restored restore(const QString& folder, const QString& dir)
{
    const QStringList faults = verify(folder);
    if (!faults.isEmpty())
        throw failure(QStringLiteral("The backup %1 is damaged; nothing was restored: %2")
                          .arg(native(folder), faults.join(QStringLiteral(" "))));
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
    QTemporaryDir work(QDir(parent).filePath(QStringLiteral(".kvilbro-restore-XXXXXX")));
    if (!work.isValid())
        throw failure(QStringLiteral("Nothing can be written in %1: %2").arg(native(parent), work.errorString()));

    for (const TableDef* def : TableDef::all()) {
        if (!QFile::copy(QDir(folder).filePath(def->fileName), QDir(work.path()).filePath(def->fileName)))
            throw failure(QStringLiteral("%1 cannot be restored.").arg(def->fileName));
    }
    Restored restored;
    QFile pictures(QDir(folder).filePath(PictureList));
    const TableDef& numbersDef = TableDef::get(TableId::Numbers);
    Db numbers = open(QDir(work.path()).filePath(numbersDef.fileName), SQLITE_OPEN_READWRITE);
    exec(numbers.get(), QStringLiteral("BEGIN IMMEDIATE"), numbersDef.fileName);
    if (pictures.open(QIODevice::ReadOnly)) {
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
        while (!pictures.atEnd()) {
            const QString line = QString::fromUtf8(pictures.readLine()).chopped(1);
            const qsizetype tab = line.indexOf(u'\t');
            const QString copyName = line.left(tab);
            const QString original = line.mid(tab + 1);
            if (tab <= 0 || copyName.contains(u'/'))
                continue;
            if (!QFile::copy(QDir(folder).filePath(PictureFolder + u'/' + copyName),
                             QDir(work.path()).filePath(QStringLiteral("billeder/") + copyName)))
                throw failure(QStringLiteral("The picture %1 cannot be restored.").arg(copyName));
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
    if (!QDir().rename(work.path(), target))
        throw failure(QStringLiteral("The restored collection cannot be moved to %1.").arg(native(target)));
    work.setAutoRemove(false);
    return restored;
}

} // namespace kvilbro::backup
