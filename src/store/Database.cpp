#include "Database.h"

#include "CollectionLock.h"
#include "Error.h"
#include "FileCheck.h"
#include "StoreMessages.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kvilbro {

namespace {

QString engineText(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}

} // namespace

// ---------------------------------------------------------------- Statement

Statement::Statement(Statement&& other) noexcept
    : db_(other.db_), table_(other.table_), stmt_(other.stmt_), lock_(std::move(other.lock_))
{
    other.stmt_ = nullptr;
}

Statement::~Statement()
{
    if (stmt_) {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
}

void Statement::bindNull(int index)
{
    sqlite3_bind_null(stmt_, index);
}

void Statement::bindInt(int index, qint64 value)
{
    sqlite3_bind_int64(stmt_, index, value);
}

void Statement::bindText(int index, const QString& value)
{
    const QByteArray utf8 = value.toUtf8();
    sqlite3_bind_text(stmt_, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void Statement::bind(int index, const QVariant& value)
{
    if (!value.isValid() || value.isNull()) {
        bindNull(index);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Long:
        bindInt(index, value.toLongLong());
        return;
    case QMetaType::Double:
        sqlite3_bind_double(stmt_, index, value.toDouble());
        return;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        sqlite3_bind_blob(stmt_, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        return;
    }
    default:
        bindText(index, value.toString());
    }
}

bool Statement::step()
{
    db_->startStep();
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    db_->raise(table_, rc);
}

void Statement::run()
{
    while (step()) {
    }
}

bool Statement::isNull(int column) const
{
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

bool Statement::isText(int column) const
{
    return sqlite3_column_type(stmt_, column) == SQLITE_TEXT;
}

bool Statement::isInteger(int column) const
{
    return sqlite3_column_type(stmt_, column) == SQLITE_INTEGER;
}

qint64 Statement::columnInt(int column) const
{
    return sqlite3_column_int64(stmt_, column);
}

QString Statement::columnText(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(stmt_, column));
}

QVariant Statement::column(int column) const
{
    switch (sqlite3_column_type(stmt_, column)) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(stmt_, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt_, column));
    case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
        return QVariant(QByteArray(data, sqlite3_column_bytes(stmt_, column)));
    }
    default:
        return QVariant(columnText(column));
    }
}

// ---------------------------------------------------------------- Database

namespace {

// Two names for one file, such as a hard link; stat opens neither.
bool sameFile(const QString& a, const QString& b)
{
    struct stat sa {};
    struct stat sb {};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 && ::stat(QFile::encodeName(b).constData(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} // namespace

namespace {

// Ordinary statements get this long; checking the files at start may take longer.
constexpr qint64 StepLimitMs = 20000;
constexpr qint64 OpeningLimitMs = 120000;

bool writable(const QString& path)
{
    struct stat info {};
    const QByteArray name = QFile::encodeName(path);
    // The permission bits count even for a user the system lets write anyway.
    return ::stat(name.constData(), &info) == 0 && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 &&
           ::access(name.constData(), W_OK) == 0;
}

} // namespace

Database::Database(const QString& directory, Access access)
    : directory_(QDir(directory.isEmpty() ? QStringLiteral(".") : directory).absolutePath())
{
    filecheck::refuseUnfinishedImport(directory_);
    bool filesWritable = access == Access::AsAllowed && writable(directory_);
    for (const TableDef* def : TableDef::all()) {
        const QFileInfo info(filePath(def->id));
        if (!info.exists()) {
            throw Error(storemessages::missingFile(def->fileName, QDir::toNativeSeparators(info.absolutePath())),
                        Error::Kind::Engine);
        }
        if (!info.isFile()) {
            throw Error(storemessages::notAFile(QDir::toNativeSeparators(info.absoluteFilePath())),
                        Error::Kind::Engine);
        }
        if (filecheck::isParadoxTable(info.absoluteFilePath())) {
            throw Error(storemessages::paradoxTable(QDir::toNativeSeparators(info.absoluteFilePath())),
                        Error::Kind::Engine);
        }
        canonicalPaths_[index(def->id)] = info.canonicalFilePath();
        struct stat st {};
        if (::stat(QFile::encodeName(info.canonicalFilePath()).constData(), &st) == 0)
            fileIds_[index(def->id)] = {quint64(st.st_dev), quint64(st.st_ino)};
        filesWritable = filesWritable && writable(info.canonicalFilePath());
    }
    // Taken before the files are opened, so a second copy of the program never
    // gets as far as reading them while this one writes.
    if (filesWritable)
        lock_ = CollectionLock::acquire(directory_);
    readOnly_ = !lock_;

    stepLimitMs_ = OpeningLimitMs;
    try {
        if (readOnly_) {
            // A reader in a folder someone may write takes the engine's locks
            // and reads the journals, whatever the files look like now: a
            // writer that starts after it would otherwise change pages under it.
            // It opens the files for writing, never writes (query_only), and so
            // may remove the journal files it made when it is the last to close.
            lockingReader_ = access == Access::ReadOnly && writable(directory_);
            // Where nobody can write, a journal can be read only through its
            // shared-memory file; without one the file is read as it is.
            for (const TableDef* def : TableDef::all())
                immutable_[index(def->id)] =
                    !lockingReader_ && !QFileInfo::exists(filePath(def->id) + QStringLiteral("-shm"));
        }
        openConnection();
        refuseUnfitFiles();
        if (!readOnly_) {
            // Only now, with every file found sound, is anything written to them.
            for (const TableDef* def : TableDef::all()) {
                exec(def->id, QStringLiteral("PRAGMA %1.journal_mode=WAL").arg(def->schemaName));
                exec(def->id, QStringLiteral("PRAGMA %1.synchronous=NORMAL").arg(def->schemaName));
                keepRowIdsUnique(*def);
            }
        }
        for (const TableDef* def : TableDef::all())
            readIndexes(*def);
        // An area's numbers lie spread over the file; a page cache that holds the
        // pages of a few large areas keeps walking them free of file reads.
        exec(TableId::Numbers, QStringLiteral("PRAGMA main.cache_size=-32768"));
    } catch (...) {
        for (sqlite3_stmt* stmt : std::as_const(cache_))
            sqlite3_finalize(stmt);
        cache_.clear();
        // A refused file is left as it was: its journal is not moved into it.
        sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        sqlite3_close(db_);
        db_ = nullptr;
        throw;
    }
    stepLimitMs_ = StepLimitMs;
}

void Database::openConnection()
{
    const QByteArray mainUri = uri(TableId::Numbers).toUtf8();
    const int flags = (readOnly_ && !lockingReader_ ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) |
                      SQLITE_OPEN_FULLMUTEX | SQLITE_OPEN_URI;
    const int rc = sqlite3_open_v2(mainUri.constData(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString detail = engineText(db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc));
        const QString message = describe(TableId::Numbers, rc, detail);
        sqlite3_close(db_);
        db_ = nullptr;
        throw Error(message, Error::Kind::Engine);
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, 2000);
    // Nothing stored in a file may run: no triggers, no views, no functions
    // with side effects called from the schema, no writes to the schema itself.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_progress_handler(db_, 1000, &Database::onProgress, this);
    if (lockingReader_ && sqlite3_exec(db_, "PRAGMA query_only=1", nullptr, nullptr, nullptr) != SQLITE_OK) {
        const QString message = describe(TableId::Numbers, sqlite3_errcode(db_), engineText(sqlite3_errmsg(db_)));
        sqlite3_close(db_);
        db_ = nullptr;
        throw Error(message, Error::Kind::Engine);
    }
}

QString Database::uri(TableId table) const
{
    QUrl url = QUrl::fromLocalFile(filePath(table));
    url.setQuery(immutable_[index(table)]       ? QStringLiteral("immutable=1")
                 : readOnly_ && !lockingReader_ ? QStringLiteral("mode=ro")
                                                : QString());
    return url.toString(QUrl::FullyEncoded);
}

void Database::refuseUnfitFiles()
{
    std::unique_lock lock(mutex_);
    startStep();
    // The numbers file first: the others are attached to it, and an attach
    // fails on a main file that is no database at all.
    for (const TableDef* def : TableDef::all()) {
        if (def->schemaName != QLatin1String("main")) {
            Statement attach = prepare(def->id, QStringLiteral("ATTACH DATABASE ?1 AS %1").arg(def->schemaName));
            attach.bindText(1, uri(def->id));
            attach.run();
        }
        const QString file = QDir::toNativeSeparators(filePath(def->id));
        QStringList faults = filecheck::damage(db_, def->schemaName, file);
        if (faults.isEmpty())
            faults = filecheck::schemaFaults(db_, def->schemaName, *def, file);
        if (!faults.isEmpty()) {
            if (faults.size() > 8)
                faults = faults.mid(0, 8) << QStringLiteral("…");
            throw Error(faults.join(u'\n'), Error::Kind::Engine);
        }
    }
}

void Database::keepRowIdsUnique(const TableDef& def)
{
    std::unique_lock lock(mutex_);
    if (filecheck::rowIdsNeverReused(db_, def.schemaName, def))
        return;
    // Rebuilt once with ids that count up for ever; the rows keep their ids.
    const QString schema = quoted(def.schemaName);
    const QString renewed = def.tableName + QStringLiteral("_renewed");
    QStringList columns;
    for (const FieldDef& f : def.fields)
        columns << quoted(f.name);
    // The file's own indexes again, in its schema (they are plain: unfit files were refused).
    static const QRegularExpression plainIndex(QStringLiteral("^\\s*CREATE\\s+INDEX\\s+(IF\\s+NOT\\s+EXISTS\\s+)?"),
                                               QRegularExpression::CaseInsensitiveOption);
    QStringList indexSql;
    {
        Statement list = prepare(def.id, QStringLiteral("SELECT sql FROM %1.sqlite_schema WHERE type='index' AND "
                                                        "tbl_name=?1 AND sql IS NOT NULL")
                                             .arg(schema));
        list.bindText(1, def.tableName);
        while (list.step())
            indexSql << list.columnText(0).replace(plainIndex, QStringLiteral("CREATE INDEX \\1%1.").arg(schema));
    }
    exec(def.id, QStringLiteral("BEGIN IMMEDIATE"));
    try {
        exec(def.id, def.createTableSql(def.schemaName, renewed));
        exec(def.id, QStringLiteral("INSERT INTO %1.%2 (%3) SELECT %3 FROM %1.%4")
                         .arg(schema, quoted(renewed), columns.join(u','), quoted(def.tableName)));
        exec(def.id, QStringLiteral("DROP TABLE %1.%2").arg(schema, quoted(def.tableName)));
        exec(def.id,
             QStringLiteral("ALTER TABLE %1.%2 RENAME TO %3").arg(schema, quoted(renewed), quoted(def.tableName)));
        for (const QString& sql : std::as_const(indexSql))
            exec(def.id, sql);
        exec(def.id, QStringLiteral("COMMIT"));
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    for (sqlite3_stmt* stmt : std::as_const(cache_))
        sqlite3_finalize(stmt);
    cache_.clear();
}

qint64 Database::nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

int Database::onProgress(void* self)
{
    auto* db = static_cast<Database*>(self);
    return nowMs() - db->stepStarted_.load(std::memory_order_relaxed) > db->stepLimitMs_ ? 1 : 0;
}

void Database::requireWritable() const
{
    if (readOnly_)
        throw Error(storemessages::notWrittenReadOnly(QDir::toNativeSeparators(directory_)), Error::Kind::Engine);
}

void Database::requireUnchanged(TableId table) const
{
    struct stat st {};
    const QString& path = canonicalPaths_[index(table)];
    const FileId& id = fileIds_[index(table)];
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || quint64(st.st_dev) != id.device ||
        quint64(st.st_ino) != id.inode)
        throw Error(storemessages::fileGone(QDir::toNativeSeparators(path)), Error::Kind::Engine);
}

void Database::checkpoint()
{
    if (readOnly_ || !db_)
        return;
    std::unique_lock lock(mutex_);
    startStep();
    // A reader (the table tool) may hold the journal for a moment; then the
    // rows move at the next idle moment instead.
    for (const TableDef* def : TableDef::all())
        sqlite3_wal_checkpoint_v2(db_, def->schemaName.toUtf8().constData(), SQLITE_CHECKPOINT_TRUNCATE, nullptr,
                                  nullptr);
}

Database::~Database()
{
    checkpoint();
    for (sqlite3_stmt* stmt : std::as_const(cache_))
        sqlite3_finalize(stmt);
    sqlite3_close(db_);
}

QString Database::filePath(TableId table) const
{
    return QDir(directory_).filePath(TableDef::get(table).fileName);
}

bool Database::isCollectionFile(const QString& path) const
{
    const QFileInfo candidate(path);
    // A file that does not exist yet may still be a journal the engine is about to create.
    const QString folder = QFileInfo(candidate.absolutePath()).canonicalFilePath();
    if (folder.isEmpty())
        return false;
    const QString name = QDir(folder).filePath(candidate.fileName());
    const QString target = candidate.exists() ? candidate.canonicalFilePath() : name;
    for (const QString& table : canonicalPaths_) {
        for (const QString& suffix :
             {QString(), QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")}) {
            const QString file = table + suffix;
            if (file == target || file == name)
                return true;
            if (sameFile(file, target))
                return true;
        }
    }
    return false;
}

void Database::setBusyTimeout(int milliseconds)
{
    sqlite3_busy_timeout(db_, milliseconds);
}

qint64 Database::lastInsertRowId() const
{
    return sqlite3_last_insert_rowid(db_);
}

int Database::changesOfLastStatement() const
{
    return sqlite3_changes(db_);
}

Statement Database::prepare(TableId table, const QString& sql)
{
    std::unique_lock lock(mutex_);
    sqlite3_stmt* stmt = cache_.value(sql, nullptr);
    if (!stmt) {
        const QByteArray utf8 = sql.toUtf8();
        const int rc =
            sqlite3_prepare_v3(db_, utf8.constData(), int(utf8.size()), SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
        if (rc != SQLITE_OK) {
            sqlite3_finalize(stmt);
            raise(table, rc);
        }
        cache_.insert(sql, stmt);
    }
    return Statement(*this, table, stmt, std::move(lock));
}

void Database::exec(TableId table, const QString& sql)
{
    prepare(table, sql).run();
}

void Database::readIndexes(const TableDef& def)
{
    QStringList names;
    {
        Statement list =
            prepare(def.id, QStringLiteral("PRAGMA %1.index_list(%2)").arg(def.schemaName, quoted(def.tableName)));
        while (list.step())
            names << list.columnText(1);
    }
    QList<QStringList>& found = indexes_[index(def.id)];
    found.clear();
    for (const QString& name : std::as_const(names)) {
        QStringList fields;
        Statement info = prepare(def.id, QStringLiteral("PRAGMA %1.index_info(%2)").arg(def.schemaName, quoted(name)));
        while (info.step())
            fields << info.columnText(2);
        found << fields;
    }
}

QString Database::describe(TableId table, int code, const QString& detail) const
{
    const QString file = QDir::toNativeSeparators(QFileInfo(filePath(table)).absoluteFilePath());
    return storemessages::engineFailure(code, file, detail);
}

void Database::raise(TableId table, int code) const
{
    throw Error(describe(table, code, engineText(sqlite3_errmsg(db_))), Error::Kind::Engine);
}

} // namespace kvilbro
