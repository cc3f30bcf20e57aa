#include "BackupFiles.h"

#include "Error.h"
#include "TableDef.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QUrl>
#include <sqlite3.h>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

namespace kvilbro::backup::detail {

void CloseDb::operator()(sqlite3* db) const
{
    sqlite3_close(db);
}

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

// A name with a line feed, tab or other control character would break the
// lists of the backup.
bool hasControlCharacter(const QString& path)
{
    return std::any_of(path.begin(), path.end(), [](QChar ch) { return ch.unicode() < 0x20 || ch.unicode() == 0x7f; });
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

} // namespace kvilbro::backup::detail
