#include "PictureAudit.h"

#include "Database.h"
#include "Error.h"
#include "FieldRules.h"
#include "FileCheck.h"
#include "PictureFileName.h"
#include "StoreMessages.h"
#include "TableDef.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <QUrl>

#include <sqlite3.h>

#include <memory>
#include <utility>

namespace kvilbro::pictureaudit {

namespace {

const TableDef& numbersTable()
{
    return TableDef::get(TableId::Numbers);
}

const FieldDef& pictureField()
{
    const TableDef& def = numbersTable();
    return def.fields[def.fieldIndex(u"Billede")];
}

QString absoluteFolder(const QString& folder)
{
    return QDir(folder.isEmpty() ? QStringLiteral(".") : folder).absolutePath();
}

// In the index's order, so the numbers come as the program lists them.
QString selectSql()
{
    return QStringLiteral("SELECT \"Tæller\", \"Stamoplysning\", \"Nummer\", \"Type\", \"Billede\" FROM %1 "
                          "ORDER BY \"Land\", \"Stamoplysning\", \"Nummer\", \"Type\", \"Tæller\"")
        .arg(numbersTable().qualifiedName());
}

struct CloseDb {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using Db = std::unique_ptr<sqlite3, CloseDb>;

struct FinalizeStmt {
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};

QString textOf(sqlite3_stmt* stmt, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                             sqlite3_column_bytes(stmt, column));
}

QVariant valueOf(sqlite3_stmt* stmt, int column)
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(stmt, column)));
    default:
        // A foreign value stays visible as it is; it matches no file name.
        return QVariant(textOf(stmt, column));
    }
}

[[noreturn]] void engineFailure(sqlite3* db, int code, const QString& file)
{
    throw Error(storemessages::engineFailure(code, file, QString::fromUtf8(sqlite3_errmsg(db))), Error::Kind::Engine);
}

} // namespace

int pictureWidth()
{
    return pictureField().width;
}

void requireCollection(const QString& folder)
{
    const QString dir = absoluteFolder(folder);
    const QFileInfo dirInfo(dir);
    if (!dirInfo.exists())
        throw Error(QStringLiteral("The folder %1 does not exist.").arg(QDir::toNativeSeparators(dir)));
    if (!dirInfo.isDir())
        throw Error(QStringLiteral("%1 is not a folder.").arg(QDir::toNativeSeparators(dir)));
    QStringList names;
    bool any = false;
    for (const TableDef* def : TableDef::all()) {
        names << def->fileName;
        any = any || QFileInfo::exists(QDir(dir).filePath(def->fileName));
    }
    if (!any) {
        throw Error(QStringLiteral("There is no collection in %1: none of its table files (%2) is there.")
                        .arg(QDir::toNativeSeparators(dir), names.join(QStringLiteral(", "))));
    }
    // The store's own words for a numbers file it would not open either.
    const QFileInfo file(QDir(dir).filePath(numbersTable().fileName));
    if (!file.exists())
        throw Error(storemessages::missingFile(numbersTable().fileName, QDir::toNativeSeparators(dir)),
                    Error::Kind::Engine);
    if (!file.isFile())
        throw Error(storemessages::notAFile(QDir::toNativeSeparators(file.absoluteFilePath())), Error::Kind::Engine);
    if (filecheck::isParadoxTable(file.absoluteFilePath()))
        throw Error(storemessages::paradoxTable(QDir::toNativeSeparators(file.absoluteFilePath())),
                    Error::Kind::Engine);
}

QList<NumberRow> readNumbers(const QString& folder)
{
    requireCollection(folder);
    const QString path = QDir(absoluteFolder(folder)).filePath(numbersTable().fileName);
    const QString shown = QDir::toNativeSeparators(path);

    // Read-only. While a program has the collection open its journal's
    // shared-memory file is there, and the engine reads through the journal
    // beside it. Without journal files nobody writes the file now; it is read
    // as it is, so that no journal files are left behind (as the store does
    // for a collection it may not write).
    const bool idle =
        !QFileInfo::exists(path + QStringLiteral("-wal")) && !QFileInfo::exists(path + QStringLiteral("-shm"));
    QUrl url = QUrl::fromLocalFile(path);
    url.setQuery(idle ? QStringLiteral("immutable=1") : QStringLiteral("mode=ro"));
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(url.toString(QUrl::FullyEncoded).toUtf8().constData(), &raw,
                                   SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    Db db(raw);
    if (rc != SQLITE_OK)
        engineFailure(raw, rc, shown);
    sqlite3_extended_result_codes(db.get(), 1);
    sqlite3_busy_timeout(db.get(), 2000);
    // As the store does: nothing stored in the file may run.
    sqlite3_db_config(db.get(), SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db.get(), SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db.get(), SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(db.get(), SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    sqlite3_db_config(db.get(), SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);

    const QString schema = QStringLiteral("main");
    QStringList faults = filecheck::damage(db.get(), schema, shown);
    if (faults.isEmpty())
        faults = filecheck::schemaFaults(db.get(), schema, numbersTable(), shown);
    if (!faults.isEmpty())
        throw Error(faults.join(u'\n'), Error::Kind::Engine);

    sqlite3_stmt* rawStmt = nullptr;
    const QByteArray sql = selectSql().toUtf8();
    const int prepared = sqlite3_prepare_v2(db.get(), sql.constData(), int(sql.size()), &rawStmt, nullptr);
    std::unique_ptr<sqlite3_stmt, FinalizeStmt> stmt(rawStmt);
    if (prepared != SQLITE_OK)
        engineFailure(db.get(), prepared, shown);
    QList<NumberRow> rows;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        rows.append({sqlite3_column_int64(stmt.get(), 0), textOf(stmt.get(), 1), valueOf(stmt.get(), 2),
                     textOf(stmt.get(), 3), textOf(stmt.get(), 4)});
    }
    if (step != SQLITE_DONE)
        engineFailure(db.get(), step, shown);
    return rows;
}

QList<NumberRow> readNumbers(Database& db)
{
    QList<NumberRow> rows;
    Statement select = db.prepare(TableId::Numbers, selectSql());
    while (select.step()) {
        const QVariant number = select.isInteger(2) ? QVariant(select.columnInt(2))
                                : select.isNull(2)  ? QVariant()
                                                    : QVariant(select.columnText(2));
        rows.append({select.columnInt(0), select.columnText(1), number, select.columnText(3), select.columnText(4)});
    }
    return rows;
}

Findings examine(const QList<NumberRow>& rows, const QString& folder)
{
    const QDir base(absoluteFolder(folder));
    const int width = pictureWidth();
    Findings findings;
    QMap<QString, QList<NumberRow>> byFile;
    for (const NumberRow& row : rows) {
        if (row.picture.isEmpty())
            continue;
        const QString path = QDir::cleanPath(base.absoluteFilePath(row.picture));
        const QFileInfo info(path);
        if (!info.isFile())
            (characterCount(row.picture) == width ? findings.probablyCut : findings.missing) << row;
        // One file under two names (relative and absolute, a link) is still one file.
        const QString canonical = info.exists() ? info.canonicalFilePath() : QString();
        byFile[canonical.isEmpty() ? path : canonical] << row;
    }
    for (auto it = byFile.cbegin(); it != byFile.cend(); ++it) {
        if (it.value().size() > 1)
            findings.shared.append({it.key(), it.value()});
    }
    return findings;
}

QStringList unmatched(const QStringList& names, const QList<NumberRow>& rows)
{
    // `Nummer` and `Type` of every number of every area; a blank type is blank
    // whether stored as NULL or as empty text.
    QSet<std::pair<qint64, QString>> numbers;
    for (const NumberRow& row : rows) {
        if (row.number.typeId() == QMetaType::LongLong)
            numbers.insert({row.number.toLongLong(), row.type});
    }
    QStringList left;
    for (const QString& name : names) {
        const PictureFileName parsed(name);
        if (!parsed.canMatch() || !numbers.contains({parsed.number.toLongLong(), parsed.typePart}))
            left << name;
    }
    return left;
}

RelinkPlan planRelink(const QList<NumberRow>& rows, const QString& oldPrefix, const QString& newPrefix)
{
    RelinkPlan plan;
    if (oldPrefix.isEmpty())
        return plan;
    const FieldDef& field = pictureField();
    for (const NumberRow& row : rows) {
        if (!row.picture.startsWith(oldPrefix, Qt::CaseSensitive))
            continue;
        const Relink change{row, newPrefix + row.picture.mid(oldPrefix.size())};
        // Never cut: a cut path names another file, or none.
        (storedAsIs(field, change.newPath) ? plan.rewrites : plan.refused) << change;
    }
    return plan;
}

RelinkPlan relink(Database& db, const QString& oldPrefix, const QString& newPrefix)
{
    db.requireWritable();
    db.requireUnchanged(TableId::Numbers);
    const QString file = QDir::toNativeSeparators(db.filePath(TableId::Numbers));
    const QString update = QStringLiteral("UPDATE %1 SET \"Billede\"=?1 WHERE \"Tæller\"=?2 AND \"Billede\"=?3")
                               .arg(numbersTable().qualifiedName());
    db.exec(TableId::Numbers, QStringLiteral("BEGIN IMMEDIATE"));
    try {
        const RelinkPlan plan = planRelink(readNumbers(db), oldPrefix, newPrefix);
        for (const Relink& change : plan.rewrites) {
            // A statement of its own each time: the borrowed one is reset when it goes.
            Statement statement = db.prepare(TableId::Numbers, update);
            statement.bind(1, storedValue(pictureField(), change.newPath));
            statement.bindInt(2, change.row.id);
            statement.bindText(3, change.row.picture);
            statement.run();
            if (db.changesOfLastStatement() != 1)
                throw Error(storemessages::rowNotStored(file), Error::Kind::Engine);
        }
        db.requireUnchanged(TableId::Numbers);
        db.exec(TableId::Numbers, QStringLiteral("COMMIT"));
        if (!plan.rewrites.isEmpty())
            db.noteChange(TableId::Numbers);
        return plan;
    } catch (...) {
        try {
            db.exec(TableId::Numbers, QStringLiteral("ROLLBACK"));
        } catch (const Error&) {
            // The first failure is the one to report; the engine rolls back a
            // transaction it could not finish on its own.
        }
        throw;
    }
}

} // namespace kvilbro::pictureaudit
