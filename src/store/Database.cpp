#include "Database.h"

#include "Error.h"
#include "StoreMessages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>
#include <sys/stat.h>

namespace kvilbro {

namespace {

QString engineText(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}

bool declaredAsInteger(const QString& type)
{
    return type.contains(QStringLiteral("INT"), Qt::CaseInsensitive);
}

bool declaredAsText(const QString& type)
{
    return type.contains(QStringLiteral("CHAR"), Qt::CaseInsensitive) ||
           type.contains(QStringLiteral("TEXT"), Qt::CaseInsensitive) ||
           type.contains(QStringLiteral("CLOB"), Qt::CaseInsensitive);
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

Database::Database(const QString& directory) : directory_(directory)
{
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
        canonicalPaths_[index(def->id)] = info.canonicalFilePath();
    }

    const TableDef& numbers = TableDef::get(TableId::Numbers);
    const QByteArray mainPath = QFile::encodeName(filePath(TableId::Numbers));
    const int rc = sqlite3_open_v2(mainPath.constData(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString detail = engineText(db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc));
        const QString message = describe(TableId::Numbers, rc, detail);
        sqlite3_close(db_);
        db_ = nullptr;
        throw Error(message, Error::Kind::Engine);
    }
    try {
        sqlite3_extended_result_codes(db_, 1);
        sqlite3_busy_timeout(db_, 2000);
        for (const TableDef* def : TableDef::all()) {
            if (def->schemaName != numbers.schemaName) {
                Statement attach = prepare(def->id, QStringLiteral("ATTACH DATABASE ?1 AS %1").arg(def->schemaName));
                attach.bindText(1, filePath(def->id));
                attach.run();
            }
            // WAL keeps every posted row safe when the program is killed, and
            // lets a second reader look at the files while we write.
            exec(def->id, QStringLiteral("PRAGMA %1.journal_mode=WAL").arg(def->schemaName));
        }
        for (const TableDef* def : TableDef::all()) {
            exec(def->id, QStringLiteral("PRAGMA %1.synchronous=NORMAL").arg(def->schemaName));
            verify(*def);
        }
        // An area's numbers lie spread over the file; a page cache that holds the
        // pages of a few large areas keeps walking them free of file reads.
        exec(TableId::Numbers, QStringLiteral("PRAGMA main.cache_size=-32768"));
    } catch (...) {
        for (sqlite3_stmt* stmt : std::as_const(cache_))
            sqlite3_finalize(stmt);
        cache_.clear();
        sqlite3_close(db_);
        db_ = nullptr;
        throw;
    }
}

Database::~Database()
{
    for (sqlite3_stmt* stmt : std::as_const(cache_))
        sqlite3_finalize(stmt);
    sqlite3_close(db_);
}

QString Database::filePath(TableId table) const
{
    const QString& name = TableDef::get(table).fileName;
    return directory_.isEmpty() ? name : QDir(directory_).filePath(name);
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

void Database::verify(const TableDef& def)
{
    const QString where = QDir::toNativeSeparators(QFileInfo(filePath(def.id)).absoluteFilePath());
    struct Column {
        QString name;
        QString type;
        bool key;
    };
    QList<Column> columns;
    {
        Statement info =
            prepare(def.id, QStringLiteral("PRAGMA %1.table_info(%2)").arg(def.schemaName, quoted(def.tableName)));
        while (info.step())
            columns.append({info.columnText(1), info.columnText(2), info.columnInt(5) != 0});
    }
    if (columns.isEmpty()) {
        throw Error(storemessages::noTable(where, def.tableName), Error::Kind::Engine);
    }
    for (const FieldDef& field : def.fields) {
        const Column* found = nullptr;
        for (const Column& c : std::as_const(columns)) {
            if (c.name.compare(field.name, Qt::CaseInsensitive) == 0)
                found = &c;
        }
        if (!found) {
            throw Error(storemessages::missingField(where, field.name), Error::Kind::Engine);
        }
        const bool fits = field.kind == FieldKind::RowId     ? declaredAsInteger(found->type) && found->key
                          : field.kind == FieldKind::Integer ? declaredAsInteger(found->type)
                                                             : declaredAsText(found->type);
        if (!fits) {
            throw Error(storemessages::wrongFieldType(field.name, where, found->type), Error::Kind::Engine);
        }
    }

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
