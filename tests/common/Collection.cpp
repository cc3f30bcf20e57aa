#include "Collection.h"

#include "TableFiles.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStandardPaths>
#include <QTest>

#include <sqlite3.h>

namespace kvilbro::test {

namespace {

QString fileOf(const QString& table)
{
    if (table == QLatin1String("stm2frim"))
        return QStringLiteral("stm2frim.db");
    if (table == QLatin1String("Bruger2"))
        return QStringLiteral("Bruger2.db");
    return QStringLiteral("stm2manc.DB");
}

void bindValue(sqlite3_stmt* stmt, int i, const QVariant& v)
{
    if (v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isEmpty())) {
        sqlite3_bind_null(stmt, i);
    } else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong) {
        sqlite3_bind_int64(stmt, i, v.toLongLong());
    } else {
        const QByteArray utf8 = v.toString().toUtf8();
        sqlite3_bind_text(stmt, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
}

} // namespace

sqlite3* Collection::connection(const QString& path) const
{
    // One connection per file for the collection's life: opening one for every
    // row would make filling a test collection slow.
    auto it = connections_.find(path);
    if (it != connections_.end())
        return it->second;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        qFatal("cannot open %s", qPrintable(path));
    sqlite3_busy_timeout(db, 5000);
    connections_[path] = db;
    return db;
}

void Collection::closeConnections()
{
    for (auto& [path, db] : connections_)
        sqlite3_close(db);
    connections_.clear();
}

Collection::~Collection()
{
    closeConnections();
}

qint64 Collection::insert(const QString& path, const QString& sql, const QVariantList& values)
{
    sqlite3* db = connection(path);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
        qFatal("prepare failed: %s", sqlite3_errmsg(db));
    for (int i = 0; i < values.size(); ++i)
        bindValue(stmt, i + 1, values[i]);
    if (sqlite3_step(stmt) != SQLITE_DONE)
        qFatal("insert failed: %s", sqlite3_errmsg(db));
    sqlite3_finalize(stmt);
    return sqlite3_last_insert_rowid(db);
}

void pinEnvironment()
{
    QLocale::setDefault(QLocale(QLocale::Danish, QLocale::Denmark));
    QStandardPaths::setTestModeEnabled(true);
}

Collection::Collection()
{
    if (!dir_.isValid())
        qFatal("no temporary folder");
    tablefiles::create(dir_.path());
}

qint64 Collection::addArea(const QString& id, const QString& description)
{
    return insert(file(QStringLiteral("stm2frim.db")),
                  QStringLiteral("INSERT INTO stm2frim (\"National ID\",\"Beskrivelse\") VALUES (?1,?2)"),
                  {id, description});
}

qint64 Collection::addNumber(const QString& land, const QString& area, const QVariant& number, const QString& type,
                             const QStringList& marks, const QString& picture, const QString& remark)
{
    return insert(file(QStringLiteral("stm2manc.DB")),
                  QStringLiteral("INSERT INTO stm2manc (\"Land\",\"Stamoplysning\",\"Nummer\",\"Type\",\"***\",\"*\","
                                 "\"O\",\"Billede\",\"Bemærkning\") VALUES (?1,?2,?3,?4,?5,?6,?7,?8,?9)"),
                  {land, area, number, type, marks.value(0), marks.value(1), marks.value(2), picture, remark});
}

void Collection::setCollector(const QStringList& fields)
{
    tablefiles::writeCollector(
        path(), {fields.value(0), fields.value(1), fields.value(2), fields.value(3), fields.value(4), fields.value(5)});
}

namespace {
// The table named in a SQL text decides the file it runs on.
QString fileOfSql(const QString& sql)
{
    if (sql.contains(QLatin1String("stm2frim")))
        return fileOf(QStringLiteral("stm2frim"));
    if (sql.contains(QLatin1String("Bruger2")))
        return fileOf(QStringLiteral("Bruger2"));
    return fileOf(QStringLiteral("stm2manc"));
}

} // namespace

QVariant Collection::scalar(const QString& sql) const
{
    sqlite3* db = connection(file(fileOfSql(sql)));
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
        qFatal("prepare failed: %s", sqlite3_errmsg(db));
    QVariant result;
    if (sqlite3_step(stmt) == SQLITE_ROW) {
        switch (sqlite3_column_type(stmt, 0)) {
        case SQLITE_NULL:
            break;
        case SQLITE_INTEGER:
            result = qint64(sqlite3_column_int64(stmt, 0));
            break;
        default:
            result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        }
    }
    sqlite3_finalize(stmt);
    return result;
}

int Collection::count(const QString& table, const QString& where) const
{
    return scalar(QStringLiteral("SELECT count(*) FROM %1%2")
                      .arg(table, where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where))
        .toInt();
}

void Collection::exec(const QString& sql) const
{
    sqlite3* db = connection(file(fileOfSql(sql)));
    char* error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK)
        qFatal("exec failed: %s", error);
}

} // namespace kvilbro::test
