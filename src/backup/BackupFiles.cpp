#include "BackupFiles.h"

#include "Error.h"
#include "TableDef.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QUrl>

#include "WorkFolder.h"
#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>

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
    sqlite3_db_config(raw, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
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

std::unique_ptr<QFile> openToRead(const QString& path)
{
    // Without blocking: opening a FIFO would wait for a writer for ever.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ELOOP)
            throw failure(QStringLiteral("%1 is a link, not an ordinary file.").arg(native(path)));
        throw failure(
            QStringLiteral("%1 cannot be read: %2").arg(native(path), QString::fromLocal8Bit(std::strerror(error))));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw failure(QStringLiteral("%1 is not an ordinary file.").arg(native(path)));
    }
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw failure(QStringLiteral("%1 cannot be read: %2").arg(native(path), file->errorString()));
    }
    return file;
}

LineReader::LineReader(QFile& file, const QString& name) : file_(file), name_(name), buffer_(MaxLine + 2, '\0') {}

bool LineReader::next(QByteArray& line)
{
    if (!fault_.isEmpty())
        return false;
    const qint64 n = file_.readLine(buffer_.data(), buffer_.size());
    if (n < 0) {
        if (file_.error() != QFileDevice::NoError)
            fault_ = QStringLiteral("%1 cannot be read: %2").arg(name_, file_.errorString());
        return false;
    }
    ++number_;
    line = QByteArray(buffer_.constData(), n);
    if (line.endsWith('\n')) {
        line.chop(1);
    } else if (n >= MaxLine) {
        fault_ = QStringLiteral("%1 line %2 is too long.").arg(name_).arg(number_);
        return false;
    }
    return true;
}

QByteArray sha256(const QString& path)
{
    const std::unique_ptr<QFile> file = openToRead(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(file.get()) || file->error() != QFileDevice::NoError)
        throw failure(QStringLiteral("%1 cannot be read: %2").arg(native(path), file->errorString()));
    return hash.result().toHex();
}

void copyFile(const QString& from, const QString& to)
{
    const std::unique_ptr<QFile> source = openToRead(from);
    QFile target(to);
    if (!target.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw failure(QStringLiteral("%1 cannot be written: %2").arg(native(to), target.errorString()));
    QByteArray chunk(1 << 16, '\0');
    qint64 n;
    while ((n = source->read(chunk.data(), chunk.size())) > 0) {
        if (target.write(chunk.constData(), n) != n)
            throw failure(QStringLiteral("%1 cannot be written: %2").arg(native(to), target.errorString()));
    }
    if (n < 0)
        throw failure(QStringLiteral("%1 cannot be read: %2").arg(native(from), source->errorString()));
    if (!target.flush() || ::fsync(target.handle()) != 0)
        throw failure(QStringLiteral("%1 cannot be written: %2").arg(native(to), target.errorString()));
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
QStringList filesOf(const QString& folder, bool working)
{
    // Hidden and special files too: whatever is there must be accounted for.
    const QDir::Filters filter = QDir::Files | QDir::System | QDir::Hidden;
    QStringList files;
    const QDir base(folder);
    for (const QString& name : base.entryList(filter, QDir::Name)) {
        if (name != Manifest && !(working && name == WorkFolder::lockFileName()))
            files << name;
    }
    if (isRealFolder(base.filePath(PictureFolder))) {
        for (const QString& name : QDir(base.filePath(PictureFolder)).entryList(filter, QDir::Name))
            files << PictureFolder + u'/' + name;
    }
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
    try {
        const std::unique_ptr<QFile> manifest = openToRead(path);
        LineReader lines(*manifest, Manifest);
        const QByteArray wanted = "  " + name.toUtf8();
        QByteArray line;
        while (lines.next(line)) {
            if (line.size() == 64 + wanted.size() && line.endsWith(wanted))
                return line.left(64);
        }
    } catch (const Error&) {
    }
    return {};
}

} // namespace kvilbro::backup::detail
