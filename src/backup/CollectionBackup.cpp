#include "CollectionBackup.h"

#include "BackupFiles.h"

#include "Error.h"
#include "FieldRules.h"
#include "TableDef.h"
#include "WorkFolder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>
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

using namespace detail;

namespace {

// The collection's own id, made on first need; the tables stay as they are.
const QString CollectionId = QStringLiteral(".kvilbro-collection-id");

// A table file to read from. In a folder nobody can write, the engine could
// not make a journal's index file; a file without one is read as it is.
QString sourceName(const QString& dir, const QString& file)
{
    if (::access(QFile::encodeName(dir).constData(), W_OK) == 0 || QFileInfo::exists(file + QStringLiteral("-shm")))
        return file;
    return QStringLiteral("file:%1?mode=ro&immutable=1").arg(QString::fromUtf8(QUrl::toPercentEncoding(file, "/")));
}

// Copies the three tables from one read transaction, so they show one moment.
void copyTables(const QString& dir, const QString& into)
{
    const TableDef& numbers = TableDef::get(TableId::Numbers);
    const QString main = QDir(dir).filePath(numbers.fileName);
    Db source = open(sourceName(dir, main), SQLITE_OPEN_READONLY);
    for (const TableDef* def : TableDef::all()) {
        if (def->schemaName == QLatin1String("main"))
            continue;
        const QString file = QDir(dir).filePath(def->fileName);
        exec(source.get(),
             QStringLiteral("ATTACH DATABASE '%1' AS %2")
                 .arg(sourceName(dir, file).replace(QStringLiteral("'"), QStringLiteral("''")), def->schemaName),
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

void writeManifest(const QString& folder, const QHash<QString, QByteArray>& known)
{
    QByteArray text;
    for (const QString& name : filesOf(folder, true)) {
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
        // A collection on a medium nobody writes is still backed up; its
        // backups carry no id, so rotation never removes one of them.
        if (::access(QFile::encodeName(dir).constData(), W_OK) != 0)
            return {};
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
    const QByteArray text = "collection " + (id.isEmpty() ? QByteArray("none") : id.toLatin1()) + "\nmade-by " +
                            makerName(by).toLatin1() + "\npictures " + (withPictures ? "yes" : "no") + "\n";
    QSaveFile file(QDir(folder).filePath(Origin));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        throw failure(QStringLiteral("%1 cannot be written: %2").arg(native(file.fileName()), file.errorString()));
}

// Whether rotation may remove `folder`: its origin, covered by its sums, says
// the same collection and maker.
bool madeBy(const QString& folder, const QString& id, Maker by)
{
    const QByteArray sum = listedSum(folder, Origin);
    if (sum.isEmpty() || id.isEmpty())
        return false;
    QByteArray text;
    try {
        text = openToRead(QDir(folder).filePath(Origin))->read(1024);
    } catch (const Error&) {
        return false;
    }
    if (QCryptographicHash::hash(text, QCryptographicHash::Sha256).toHex() != sum)
        return false;
    const QList<QByteArray> lines = text.split('\n');
    return lines.contains("collection " + id.toLatin1()) && lines.contains("made-by " + makerName(by).toLatin1());
}

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
    const QString workPrefix = QStringLiteral(".kvilbro-backup-");
    WorkFolder::removeAbandoned(target, workPrefix);
    WorkFolder work(target, workPrefix);
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
    const QStringList faults = check(work.path(), true).all();
    if (!faults.isEmpty())
        throw failure(QStringLiteral("The backup made in %1 is not sound; it was not kept: %2")
                          .arg(native(target), faults.join(QStringLiteral(" "))));
    made.folder = QDir(target).filePath(name);
    if (!work.moveTo(made.folder))
        throw failure(QStringLiteral("The backup cannot be named %1: %2").arg(native(made.folder), work.errorString()));

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

} // namespace kvilbro::backup
