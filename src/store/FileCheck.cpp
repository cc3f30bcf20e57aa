#include "FileCheck.h"

#include "Error.h"
#include "StoreMessages.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QtEndian>

#include <sqlite3.h>

#include <cerrno>
#include <limits>
#include <sys/stat.h>

namespace kvilbro::filecheck {

namespace {

// A statement of the check; a failure to prepare or step is a fault in itself.
class Query {
public:
    Query(sqlite3* db, const QString& sql) : db_(db)
    {
        const QByteArray utf8 = sql.toUtf8();
        code_ = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &stmt_, nullptr);
        if (code_ != SQLITE_OK)
            error_ = QString::fromUtf8(sqlite3_errmsg(db));
    }
    ~Query() { sqlite3_finalize(stmt_); }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    bool next()
    {
        if (!stmt_ || !error_.isEmpty())
            return false;
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE) {
            code_ = rc;
            error_ = QString::fromUtf8(sqlite3_errmsg(db_));
        }
        return false;
    }
    QString text(int column) const
    {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column)),
                                 sqlite3_column_bytes(stmt_, column));
    }
    qint64 integer(int column) const { return sqlite3_column_int64(stmt_, column); }
    int type(int column) const { return sqlite3_column_type(stmt_, column); }
    const QString& error() const { return error_; }
    // The engine's code of the error; SQLITE_OK when there is none.
    int code() const { return code_; }

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
    QString error_;
    int code_ = SQLITE_OK;
};

QString expectedType(FieldKind kind)
{
    return kind == FieldKind::Integer || kind == FieldKind::RowId ? QStringLiteral("INTEGER") : QStringLiteral("TEXT");
}

} // namespace

QStringList schemaFaults(sqlite3* db, const QString& schema, const TableDef& def, const QString& file)
{
    QStringList faults;
    auto fault = [&](const QString& what) { faults << QStringLiteral("Tabelfilen %1 %2").arg(file, what); };

    // Everything the file holds besides the table and its indexes.
    bool tableFound = false;
    QStringList indexNames;
    {
        Query objects(db, QStringLiteral("SELECT type, name, tbl_name, sql FROM %1.sqlite_schema").arg(quoted(schema)));
        while (objects.next()) {
            const QString type = objects.text(0);
            const QString name = objects.text(1);
            const QString sql = objects.text(3);
            if (type == QLatin1String("table") && name == def.tableName) {
                if (sql.startsWith(QLatin1String("CREATE VIRTUAL"), Qt::CaseInsensitive))
                    fault(QStringLiteral("har en virtuel tabel %1; den åbnes ikke.").arg(name));
                else
                    tableFound = true;
            } else if (type == QLatin1String("table") &&
                       (name == QLatin1String("sqlite_sequence") || name.startsWith(QLatin1String("sqlite_stat")))) {
                // The engine's own bookkeeping.
            } else if (type == QLatin1String("index") && objects.text(2) == def.tableName) {
                indexNames << name;
            } else if (type == QLatin1String("trigger")) {
                fault(QStringLiteral("indeholder udløseren (trigger) %1, som ville køre ved hver ændring; "
                                     "filen åbnes ikke.")
                          .arg(name));
            } else if (type == QLatin1String("view")) {
                fault(QStringLiteral("indeholder visningen (view) %1; filen åbnes ikke.").arg(name));
            } else {
                fault(QStringLiteral("indeholder %1 %2, som ikke hører til tabellen %3; filen åbnes ikke.")
                          .arg(type, name, def.tableName));
            }
        }
        if (!objects.error().isEmpty())
            return {QStringLiteral("Tabelfilen %1 kan ikke læses (%2).").arg(file, objects.error())};
    }
    if (!tableFound) {
        faults.prepend(QStringLiteral("Tabelfilen %1 indeholder ikke tabellen %2.").arg(file, def.tableName));
        return faults;
    }

    // The fields: names, types, comparison, and nothing computed or extra.
    QSet<QString> seen;
    {
        Query columns(db, QStringLiteral("PRAGMA %1.table_xinfo(%2)").arg(quoted(schema), quoted(def.tableName)));
        while (columns.next()) {
            const QString name = columns.text(1);
            const int field = def.fieldIndex(name);
            if (field < 0) {
                fault(QStringLiteral("har feltet '%1', som ikke hører til tabellen.").arg(name));
                continue;
            }
            if (columns.integer(6) != 0)
                fault(QStringLiteral("har feltet '%1' som et beregnet felt.").arg(name));
            seen.insert(def.fields[field].name);
        }
        if (!columns.error().isEmpty())
            return {QStringLiteral("Tabelfilen %1 kan ikke læses (%2).").arg(file, columns.error())};
    }
    const QByteArray schemaName = schema.toUtf8();
    const QByteArray tableName = def.tableName.toUtf8();
    for (const FieldDef& field : def.fields) {
        if (!seen.contains(field.name)) {
            fault(QStringLiteral("mangler feltet '%1'.").arg(field.name));
            continue;
        }
        const char* type = nullptr;
        const char* collation = nullptr;
        int notNull = 0, primaryKey = 0, autoIncrement = 0;
        const QByteArray column = field.name.toUtf8();
        if (sqlite3_table_column_metadata(db, schemaName.constData(), tableName.constData(), column.constData(), &type,
                                          &collation, &notNull, &primaryKey, &autoIncrement) != SQLITE_OK) {
            fault(QStringLiteral("kan ikke læses (%1).").arg(QString::fromUtf8(sqlite3_errmsg(db))));
            continue;
        }
        const QString declared = QString::fromUtf8(type ? type : "");
        const bool rowId = field.kind == FieldKind::RowId;
        if (declared.compare(expectedType(field.kind), Qt::CaseInsensitive) != 0 || bool(primaryKey) != rowId) {
            fault(QStringLiteral("har en forkert type for feltet '%1': %2%3, ikke %4%5.")
                      .arg(field.name, declared.isEmpty() ? QStringLiteral("(ingen)") : declared,
                           primaryKey ? QStringLiteral(" PRIMARY KEY") : QString(), expectedType(field.kind),
                           rowId ? QStringLiteral(" PRIMARY KEY") : QString()));
        }
        if (QString::fromUtf8(collation ? collation : "BINARY").compare(QLatin1String("BINARY"), Qt::CaseInsensitive))
            fault(QStringLiteral("sammenligner feltet '%1' med %2 i stedet for tegn for tegn.")
                      .arg(field.name, QString::fromUtf8(collation)));
    }

    // Indexes: plain, over the table's fields, compared byte for byte. A
    // unique or partial index would refuse or hide rows behind the program's back.
    for (const QString& index : std::as_const(indexNames)) {
        Query list(db, QStringLiteral("PRAGMA %1.index_list(%2)").arg(quoted(schema), quoted(def.tableName)));
        while (list.next()) {
            if (list.text(1) != index)
                continue;
            if (list.integer(2) != 0)
                fault(QStringLiteral("har det unikke indeks %1.").arg(index));
            if (list.integer(4) != 0)
                fault(QStringLiteral("har det delvise indeks %1.").arg(index));
        }
        Query info(db, QStringLiteral("PRAGMA %1.index_xinfo(%2)").arg(quoted(schema), quoted(index)));
        while (info.next()) {
            if (info.integer(5) == 0)
                continue; // the row id that ends every index entry
            if (info.integer(1) == -2)
                fault(QStringLiteral("har indekset %1 over et udtryk.").arg(index));
            else if (info.text(4).compare(QLatin1String("BINARY"), Qt::CaseInsensitive) != 0)
                fault(QStringLiteral("sammenligner i indekset %1 med %2 i stedet for tegn for tegn.")
                          .arg(index, info.text(4)));
        }
    }
    return faults;
}

QStringList damage(sqlite3* db, const QString& schema, const QString& file, bool thorough)
{
    Query check(db,
                QStringLiteral("PRAGMA %1.%2(100)")
                    .arg(quoted(schema), thorough ? QStringLiteral("integrity_check") : QStringLiteral("quick_check")));
    QStringList faults;
    while (check.next()) {
        if (check.text(0) != QLatin1String("ok"))
            faults << QStringLiteral("Tabelfilen %1 er beskadiget: %2").arg(file, check.text(0));
    }
    if (check.error().isEmpty())
        return faults;
    // Only the engine's word for damage calls a file damaged: a file in use,
    // a full disk or a failed read says so instead.
    const int code = check.code() & 0xff;
    const int systemError = sqlite3_system_errno(db);
    if (code == SQLITE_FULL ||
        (code == SQLITE_IOERR && (systemError == ENOSPC || systemError == EDQUOT || systemError == EFBIG)))
        faults << storemessages::noRoomToOpen(file);
    else if (code == SQLITE_CORRUPT || code == SQLITE_NOTADB || code == SQLITE_ERROR || code == SQLITE_FORMAT)
        faults << QStringLiteral("Filen %1 er ikke en tabelfil fra dette program, eller den er beskadiget (%2).")
                      .arg(file, check.error());
    else
        faults << storemessages::engineFailure(check.code(), file, check.error());
    return faults;
}

QStringList dataFaults(sqlite3* db, const QString& schema, const TableDef& def, const QString& file, int limit)
{
    QStringList faults;
    const QString rowId = quoted(def.fields[def.rowIdField].name);
    for (const FieldDef& field : def.fields) {
        QString where;
        if (field.kind == FieldKind::Integer) {
            where = QStringLiteral("%1 IS NOT NULL AND (typeof(%1) <> 'integer' OR %1 NOT BETWEEN %2 AND %3)")
                        .arg(quoted(field.name))
                        .arg(std::numeric_limits<qint32>::min())
                        .arg(std::numeric_limits<qint32>::max());
        } else if (field.kind == FieldKind::Text) {
            where = QStringLiteral("length(%1) > %2").arg(quoted(field.name)).arg(field.width);
        } else {
            continue;
        }
        Query rows(db, QStringLiteral("SELECT %1, substr(CAST(%2 AS TEXT), 1, 60) FROM %3.%4 WHERE %5 LIMIT %6")
                           .arg(rowId, quoted(field.name), quoted(schema), quoted(def.tableName), where)
                           .arg(limit));
        while (rows.next() && faults.size() < limit) {
            if (field.kind == FieldKind::Integer)
                faults << QStringLiteral("Tabelfilen %1, række %2: feltet '%3' er ikke et helt tal i området (%4).")
                              .arg(file)
                              .arg(rows.integer(0))
                              .arg(field.name, rows.text(1));
            else
                faults << QStringLiteral("Tabelfilen %1, række %2: feltet '%3' er længere end %4 tegn.")
                              .arg(file)
                              .arg(rows.integer(0))
                              .arg(field.name)
                              .arg(field.width);
        }
        if (!rows.error().isEmpty())
            faults << QStringLiteral("Tabelfilen %1 kan ikke læses (%2).").arg(file, rows.error());
    }
    return faults;
}

bool isParadoxTable(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(0x3A);
    if (head.size() < 0x3A || head.startsWith("SQLite format 3"))
        return false;
    const auto u16 = [&head](int at) { return qFromLittleEndian<quint16>(head.constData() + at); };
    // Record and header sizes, a data table's file type, a block size of 1 to
    // 32 KiB, some fields and a known version: never all true by chance.
    const int fileType = quint8(head[0x04]);
    const int blockKiB = quint8(head[0x05]);
    const int version = quint8(head[0x39]);
    return u16(0x00) > 0 && u16(0x02) >= 0x58 && (fileType == 0 || fileType == 2) && blockKiB >= 1 && blockKiB <= 32 &&
           u16(0x21) > 0 && version >= 3 && version <= 12;
}

QString unfinishedImportMarker()
{
    return QStringLiteral(".kvilbro-replacing");
}

bool importUnfinished(const QString& folder)
{
    struct stat st {};
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(unfinishedImportMarker()));
    // Anything under the name counts, a link that leads nowhere too.
    return ::lstat(path.constData(), &st) == 0;
}

void refuseUnfinishedImport(const QString& folder)
{
    if (importUnfinished(folder))
        throw Error(storemessages::unfinishedImport(QDir::toNativeSeparators(QDir(folder).absolutePath())),
                    Error::Kind::Engine);
}

bool rowIdsNeverReused(sqlite3* db, const QString& schema, const TableDef& def)
{
    int notNull = 0, primaryKey = 0, autoIncrement = 0;
    const QByteArray s = schema.toUtf8(), t = def.tableName.toUtf8(), c = def.fields[def.rowIdField].name.toUtf8();
    return sqlite3_table_column_metadata(db, s.constData(), t.constData(), c.constData(), nullptr, nullptr, &notNull,
                                         &primaryKey, &autoIncrement) == SQLITE_OK &&
           autoIncrement != 0;
}

} // namespace kvilbro::filecheck
