#include "TableFiles.h"

#include "CollectionLock.h"
#include "DemoPictures.h"
#include "Error.h"
#include "FileCheck.h"
#include "TableDef.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <sqlite3.h>

#include <memory>

namespace kvilbro::tablefiles {

namespace {

struct CloseDb {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using Db = std::unique_ptr<sqlite3, CloseDb>;

QString pathIn(const QString& dir, const TableDef& def)
{
    return QDir(dir.isEmpty() ? QStringLiteral(".") : dir).filePath(def.fileName);
}

[[noreturn]] void fail(sqlite3* db, const QString& file)
{
    throw Error(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(file), QString::fromUtf8(sqlite3_errmsg(db))),
                Error::Kind::Engine);
}

Db openFile(const QString& file, int flags)
{
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(file).constData(), &raw, flags, nullptr);
    Db db(raw);
    if (rc != SQLITE_OK)
        fail(db.get(), file);
    sqlite3_extended_result_codes(db.get(), 1);
    sqlite3_busy_timeout(db.get(), 2000);
    return db;
}

void exec(sqlite3* db, const QString& file, const QString& sql)
{
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(db, file);
}

// Runs one statement with text parameters (empty text is stored as NULL).
class Insert {
public:
    Insert(sqlite3* db, const QString& file, const QString& sql) : db_(db), file_(file)
    {
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt_, nullptr) != SQLITE_OK)
            fail(db, file);
    }
    ~Insert() { sqlite3_finalize(stmt_); }
    Insert(const Insert&) = delete;
    Insert& operator=(const Insert&) = delete;

    Insert& text(int i, const QString& v)
    {
        if (v.isEmpty()) {
            sqlite3_bind_null(stmt_, i);
        } else {
            const QByteArray utf8 = v.toUtf8();
            sqlite3_bind_text(stmt_, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        }
        return *this;
    }
    Insert& integer(int i, qint64 v)
    {
        sqlite3_bind_int64(stmt_, i, v);
        return *this;
    }
    void run()
    {
        if (sqlite3_step(stmt_) != SQLITE_DONE)
            fail(db_, file_);
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }

private:
    sqlite3* db_;
    QString file_;
    sqlite3_stmt* stmt_ = nullptr;
};

// Whether an index with exactly these fields, in order, exists on the table.
bool hasIndex(sqlite3* db, const QString& table, const QStringList& fields)
{
    QStringList names;
    sqlite3_stmt* stmt = nullptr;
    const QByteArray list = QStringLiteral("PRAGMA index_list(%1)").arg(quoted(table)).toUtf8();
    if (sqlite3_prepare_v2(db, list.constData(), -1, &stmt, nullptr) == SQLITE_OK) {
        while (sqlite3_step(stmt) == SQLITE_ROW)
            names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)));
    }
    sqlite3_finalize(stmt);
    for (const QString& name : std::as_const(names)) {
        QStringList columns;
        const QByteArray info = QStringLiteral("PRAGMA index_info(%1)").arg(quoted(name)).toUtf8();
        if (sqlite3_prepare_v2(db, info.constData(), -1, &stmt, nullptr) == SQLITE_OK) {
            while (sqlite3_step(stmt) == SQLITE_ROW)
                columns << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2)));
        }
        sqlite3_finalize(stmt);
        if (columns == fields)
            return true;
    }
    return false;
}

} // namespace

void create(const QString& dir)
{
    const QDir target(dir.isEmpty() ? QStringLiteral(".") : dir);
    if (!target.exists() && !QDir().mkpath(target.absolutePath()))
        throw Error(
            QStringLiteral("The folder %1 cannot be created.").arg(QDir::toNativeSeparators(target.absolutePath())));
    const auto lock = CollectionLock::acquireToWrite(target.absolutePath());
    for (const TableDef* def : TableDef::all()) {
        const QString file = pathIn(dir, *def);
        if (QFileInfo::exists(file)) {
            throw Error(QStringLiteral("%1 exists already; nothing was created.")
                            .arg(QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath())));
        }
    }
    for (const TableDef* def : TableDef::all()) {
        const QString file = pathIn(dir, *def);
        Db db = openFile(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        exec(db.get(), file, QStringLiteral("PRAGMA journal_mode=WAL"));
        exec(db.get(), file, QStringLiteral("BEGIN"));
        exec(db.get(), file, def->createTableSql());
        for (const QString& sql : def->createIndexSql())
            exec(db.get(), file, sql);
        exec(db.get(), file, QStringLiteral("COMMIT"));
    }
    writeStartFiles(dir);
}

void writeStartFiles(const QString& dir)
{
    const QString folder = dir.isEmpty() ? QStringLiteral(".") : dir;
    if (!QDir().mkpath(folder))
        throw Error(QStringLiteral("The folder %1 cannot be created.").arg(QDir::toNativeSeparators(folder)));
    writeStandardPictures(dir);
    QFile help(QStringLiteral(":/kvilbro/help/index.html"));
    if (!help.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("The help page is missing from this program."));
    writeIfAbsent(QDir(dir.isEmpty() ? QStringLiteral(".") : dir).filePath(QStringLiteral("index.html")),
                  help.readAll());
}

void writeCollector(const QString& dir, const Collector& c)
{
    const TableDef& def = TableDef::get(TableId::Collector);
    const QString file = pathIn(dir, def);
    if (!QFileInfo::exists(file))
        throw Error(QStringLiteral("%1 does not exist; run create first.").arg(QDir::toNativeSeparators(file)));
    if (c.date && !c.date->isEmpty() && !QDate::fromString(*c.date, Qt::ISODate).isValid())
        throw Error(QStringLiteral("'%1' is not a date of the form YYYY-MM-DD.").arg(*c.date));
    // Not while the program (or another tool) writes the collection.
    const auto lock = CollectionLock::acquireToWrite(QFileInfo(file).absolutePath());
    Db db = openFile(file, SQLITE_OPEN_READWRITE);
    const QString table = quoted(def.tableName);
    const std::pair<const char*, const std::optional<QString>*> fields[] = {
        {"Brugernavn", &c.name}, {"Adresse", &c.address}, {"By", &c.town},
        {"Telefon", &c.phone},   {"Email", &c.email},     {"Dato", &c.date}};
    QStringList names;
    QStringList values;
    for (const auto& [name, value] : fields) {
        names << quoted(QString::fromUtf8(name));
        values << (*value ? QStringLiteral("?%1").arg(values.size() + 1)
                          : QStringLiteral("(SELECT %1 FROM %2 ORDER BY rowid LIMIT 1)").arg(names.last(), table));
    }
    exec(db.get(), file, QStringLiteral("BEGIN IMMEDIATE"));
    Insert insert(db.get(), file,
                  QStringLiteral("INSERT INTO %1 (%2) SELECT %3").arg(table, names.join(u','), values.join(u',')));
    int index = 0;
    for (const auto& [name, value] : fields) {
        ++index;
        if (*value)
            insert.text(index, **value);
    }
    insert.run();
    exec(db.get(), file,
         QStringLiteral("DELETE FROM %1 WHERE rowid <> %2").arg(table).arg(sqlite3_last_insert_rowid(db.get())));
    exec(db.get(), file, QStringLiteral("COMMIT"));
    writeStartFiles(QFileInfo(file).absolutePath());
}

void writeDemo(const QString& dir, const QString& finalDir)
{
    create(dir);
    writeCollector(dir, {QStringLiteral("Jens Ærø Sørensen"), QStringLiteral("Frimærkevej 12"),
                         QStringLiteral("8000 Århus C"), QStringLiteral("86 12 34 56"),
                         QStringLiteral("jens@example.dk"), QStringLiteral("2026-12-01")});

    const TableDef& areas = TableDef::get(TableId::Areas);
    const QString areasFile = pathIn(dir, areas);
    struct Area {
        QString id;
        QString description;
        int count;
    };
    const QList<Area> list{
        {QStringLiteral("DK"), QStringLiteral("Danmark 1851-2000"), 760},
        {QStringLiteral("FR"), QStringLiteral("Færøerne"), 140},
        {QStringLiteral("GR"), QStringLiteral("Grønland"), 90},
        {QStringLiteral("DVI"), QStringLiteral("Dansk Vestindien"), 40},
        {QStringLiteral("IS"), QStringLiteral("Island, ønskeliste"), 0},
    };
    {
        Db db = openFile(areasFile, SQLITE_OPEN_READWRITE);
        Insert insert(db.get(), areasFile,
                      QStringLiteral("INSERT INTO %1 (\"National ID\",\"Beskrivelse\") VALUES (?1,?2)")
                          .arg(quoted(areas.tableName)));
        for (const Area& a : list)
            insert.text(1, a.id).text(2, a.description).run();
    }

    const TableDef& numbers = TableDef::get(TableId::Numbers);
    // Stamp pictures for some numbers, and the start, default and report pictures.
    const QHash<QString, QString> pictures =
        writeDemoPictures(dir, numbers.fields[numbers.fieldIndex(u"Billede")].width, finalDir);
    const QString numbersFile = pathIn(dir, numbers);
    Db db = openFile(numbersFile, SQLITE_OPEN_READWRITE);
    exec(db.get(), numbersFile, QStringLiteral("BEGIN"));
    Insert insert(db.get(), numbersFile,
                  QStringLiteral("INSERT INTO %1 (\"Land\",\"Stamoplysning\",\"Nummer\",\"Type\",\"***\",\"*\",\"O\","
                                 "\"Bemærkning\",\"Billede\") VALUES (?1,?2,?3,?4,?5,?6,?7,?8,?9)")
                      .arg(quoted(numbers.tableName)));
    const QStringList remarks{
        QStringLiteral("Små tænder mangler"),    QStringLiteral("Flot stempel, København"),
        QStringLiteral("Skæv centrering"),       QStringLiteral("Købt på auktion i Århus"),
        QStringLiteral("Tynd plet på bagsiden"), QStringLiteral("Ønskes i bedre kvalitet"),
        QStringLiteral("Blå farvenuance"),       QStringLiteral("Fra bedstefars album"),
    };
    QRandomGenerator random(1851); // the same sample every time
    for (const Area& a : list) {
        for (int n = 1; n <= a.count; ++n) {
            // Some numbers of a run are not in the catalogue at all.
            if (n % 97 == 0)
                continue;
            QStringList variants{QString()};
            if (n == 714)
                variants << QStringLiteral("Ch");
            else if (n % 23 == 0)
                variants << QStringLiteral("a") << QStringLiteral("b");
            else if (n % 41 == 0)
                variants << QStringLiteral("y");
            for (const QString& type : variants) {
                auto mark = [&random](int percent) {
                    return int(random.bounded(100)) < percent ? QStringLiteral("x") : QString();
                };
                const QString mint = mark(35);
                const QString unused = mark(25);
                const QString used = mark(70);
                const QString remark =
                    random.bounded(9) == 0 ? remarks[random.bounded(int(remarks.size()))] : QString();
                insert.text(1, a.id).text(2, a.description).integer(3, n).text(4, type);
                const QString picture =
                    type.isEmpty() ? pictures.value(QStringLiteral("%1/%2").arg(a.id).arg(n)) : QString();
                insert.text(5, mint).text(6, unused).text(7, used).text(8, remark).text(9, picture).run();
            }
        }
    }
    exec(db.get(), numbersFile, QStringLiteral("COMMIT"));
}

QStringList check(const QString& dir)
{
    QStringList faults;
    const QString folder = QDir(dir.isEmpty() ? QStringLiteral(".") : dir).absolutePath();
    if (filecheck::importUnfinished(folder))
        faults << QStringLiteral("%1: an import was stopped before all three tables were moved in; run "
                                 "kvilbro-tables import-paradox OLD_DIR %1 --replace again.")
                      .arg(QDir::toNativeSeparators(folder));
    for (const TableDef* def : TableDef::all()) {
        const QString file = pathIn(dir, *def);
        const QString name = def->fileName;
        if (!QFileInfo(file).isFile()) {
            faults << QStringLiteral("%1: the file is missing.").arg(name);
            continue;
        }
        sqlite3* raw = nullptr;
        const int rc = sqlite3_open_v2(QFile::encodeName(file).constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
        Db db(raw);
        if (rc != SQLITE_OK) {
            faults << QStringLiteral("%1: cannot be opened (%2).").arg(name, QString::fromUtf8(sqlite3_errmsg(raw)));
            continue;
        }
        // The program's own checks, on a connection where nothing in the file can run.
        sqlite3_db_config(db.get(), SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
        sqlite3_db_config(db.get(), SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
        sqlite3_db_config(db.get(), SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
        sqlite3_db_config(db.get(), SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
        const QString main = QStringLiteral("main");
        QStringList found = filecheck::damage(db.get(), main, name, true);
        if (found.isEmpty())
            found = filecheck::schemaFaults(db.get(), main, *def, name);
        if (found.isEmpty()) {
            found = filecheck::dataFaults(db.get(), main, *def, name);
            for (const IndexDef& index : def->indexes) {
                if (!hasIndex(db.get(), def->tableName, index.fields))
                    found << QStringLiteral("%1: the index on (%2) is missing.")
                                 .arg(name, index.fields.join(QStringLiteral(", ")));
            }
        }
        faults << found;
    }
    return faults;
}

} // namespace kvilbro::tablefiles
