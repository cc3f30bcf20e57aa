#include "BenchCollection.h"

#include "TableFiles.h"

#include <QDir>
#include <QFile>

#include <sqlite3.h>

#include <stdexcept>

namespace kvilbro::bench {

namespace {

void check(int rc, sqlite3* db)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(sqlite3_errmsg(db));
}

} // namespace

void fillLarge(const QString& dir, int areas, int rows, int bigAreaRows, int bigAreaIndex)
{
    const QByteArray frim = QFile::encodeName(QDir(dir).filePath(QStringLiteral("stm2frim.db")));
    const QByteArray manc = QFile::encodeName(QDir(dir).filePath(QStringLiteral("stm2manc.DB")));
    auto name = [&](int a) {
        return a == bigAreaIndex ? QByteArray("Stor") : QByteArray("Område ") + QByteArray::number(a);
    };
    sqlite3* db = nullptr;
    check(sqlite3_open(frim.constData(), &db), db);
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
    sqlite3_stmt* stmt = nullptr;
    check(
        sqlite3_prepare_v2(db, "INSERT INTO stm2frim (\"National ID\",Beskrivelse) VALUES (?1,?2)", -1, &stmt, nullptr),
        db);
    for (int a = 0; a < areas; ++a) {
        const QByteArray id = "A" + QByteArray::number(a % 10000);
        const QByteArray description = name(a);
        sqlite3_bind_text(stmt, 1, id.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 2, description.constData(), -1, SQLITE_TRANSIENT);
        check(sqlite3_step(stmt), db);
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
    sqlite3_close(db);

    check(sqlite3_open(manc.constData(), &db), db);
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
    check(sqlite3_prepare_v2(
              db,
              "INSERT INTO stm2manc (Land,Stamoplysning,Nummer,Type,\"***\",\"*\",O,Billede,\"Bemærkning\") "
              "VALUES (?1,?2,?3,?4,?5,?6,?7,?8,?9)",
              -1, &stmt, nullptr),
          db);
    const int others = areas - 1;
    const int perOther = others > 0 ? (rows - bigAreaRows) / others : 0;
    auto add = [&](int a, int n) {
        const QByteArray id = "A" + QByteArray::number(a % 10000);
        const QByteArray description = name(a);
        sqlite3_bind_text(stmt, 1, id.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 2, description.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(stmt, 3, n);
        if (n % 10 == 0)
            sqlite3_bind_text(stmt, 4, "a", -1, SQLITE_STATIC);
        if (n % 3 == 0)
            sqlite3_bind_text(stmt, 5, "x", -1, SQLITE_STATIC);
        if (n % 4 == 0)
            sqlite3_bind_text(stmt, 6, "x", -1, SQLITE_STATIC);
        if (n % 2 == 0)
            sqlite3_bind_text(stmt, 7, "x", -1, SQLITE_STATIC);
        if (n % 7 == 0)
            sqlite3_bind_text(stmt, 8, "billeder/danmark/714Ch.jpg", -1, SQLITE_STATIC);
        if (n % 5 == 0)
            sqlite3_bind_text(stmt, 9, "Små tænder mangler, ellers pæn", -1, SQLITE_STATIC);
        check(sqlite3_step(stmt), db);
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
    };
    // Interleave the areas so that their rows are spread over the whole file.
    for (int n = 1; n <= std::max(perOther, bigAreaRows); ++n) {
        for (int a = 0; a < areas; ++a) {
            if (a == bigAreaIndex ? n <= bigAreaRows : n <= perOther)
                add(a, n);
        }
    }
    sqlite3_finalize(stmt);
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
    sqlite3_close(db);
}

sqlite3* openLikeStore(const QString& dir)
{
    const QDir d(dir);
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(d.filePath(QStringLiteral("stm2manc.DB"))).constData(), &db,
                    SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
    const QByteArray frim = QFile::encodeName(d.filePath(QStringLiteral("stm2frim.db")));
    const QByteArray bruger = QFile::encodeName(d.filePath(QStringLiteral("Bruger2.db")));
    sqlite3_exec(db, ("ATTACH DATABASE '" + frim + "' AS frim").constData(), nullptr, nullptr, nullptr);
    sqlite3_exec(db, ("ATTACH DATABASE '" + bruger + "' AS bruger").constData(), nullptr, nullptr, nullptr);
    for (const char* schema : {"main", "frim", "bruger"}) {
        sqlite3_exec(db, (QByteArray("PRAGMA ") + schema + ".journal_mode=WAL").constData(), nullptr, nullptr, nullptr);
        sqlite3_exec(db, (QByteArray("PRAGMA ") + schema + ".synchronous=NORMAL").constData(), nullptr, nullptr,
                     nullptr);
    }
    sqlite3_exec(db, "PRAGMA main.cache_size=-32768", nullptr, nullptr, nullptr);
    sqlite3_busy_timeout(db, 2000);
    return db;
}

bool insertPlainRows(sqlite3* db, const char* land, const char* area, int first, int count)
{
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v3(db,
                       "INSERT INTO main.stm2manc (Land,Stamoplysning,Nummer,Type,\"***\",\"*\",O,Billede,"
                       "\"Bemærkning\") VALUES (?1,?2,?3,?4,?5,?6,?7,?8,?9)",
                       -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    bool ok = true;
    for (int i = 0; i < count && ok; ++i) {
        sqlite3_bind_text(stmt, 1, land, -1, SQLITE_STATIC);
        sqlite3_bind_text(stmt, 2, area, -1, SQLITE_STATIC);
        sqlite3_bind_int(stmt, 3, first + i);
        for (int p = 4; p <= 9; ++p)
            sqlite3_bind_null(stmt, p);
        ok = sqlite3_step(stmt) == SQLITE_DONE;
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    return ok;
}

LargeCollection::LargeCollection()
{
    if (!dir_.isValid())
        throw std::runtime_error("no temporary folder");
    path = dir_.path();
    bigAreaIndex = 500;
    tablefiles::create(path);
    fillLarge(path, 1000, 200000, bigAreaCount, bigAreaIndex);
}

const LargeCollection& LargeCollection::get()
{
    static const LargeCollection collection;
    return collection;
}

const QString& halfMillionNumbers()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        if (!dir.isValid())
            throw std::runtime_error("no temporary folder");
        tablefiles::create(dir.path());
        fillLarge(dir.path(), 1000, 500000, 5000, 0);
        return dir.path();
    }();
    return path;
}

} // namespace kvilbro::bench
