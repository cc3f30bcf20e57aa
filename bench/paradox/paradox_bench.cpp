// Import of an old collection with 500 000 numbers, against the floor: the
// same rows inserted into the same new table with one prepared statement in
// one transaction, decoded beforehand.
#include "ParadoxHeader.h"
#include "ParadoxImport.h"
#include "ParadoxWriter.h"
#include "TableDef.h"
#include "TableFiles.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <sqlite3.h>

using namespace kvilbro;

namespace {

constexpr int Numbers = 500000;

struct Row {
    QByteArray land, area, type, mint, unused, used, picture, remark;
    qint64 number, counter;
};

QTemporaryDir& workDir()
{
    static QTemporaryDir dir;
    return dir;
}

QString oldDir()
{
    return workDir().filePath(QStringLiteral("old"));
}

const QList<Row>& rows()
{
    static QList<Row> list;
    return list;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}

// The old collection, once: 40 areas, 500 000 numbers, code page 865.
void prepare()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    QDir().mkpath(oldDir());
    const QStringList names{QStringLiteral("Danmark"), QStringLiteral("Færøerne"), QStringLiteral("Grønland"),
                            QStringLiteral("Dansk Vestindien"), QStringLiteral("Ísland")};
    pxtest::PxTable areas;
    areas.fields = pxtest::areaFields();
    for (int a = 0; a < 40; ++a)
        areas.rows << QList<QVariant>{QStringLiteral("A%1").arg(a), names[a % 5] + QString::number(a), a + 1};
    writeFile(oldDir() + QStringLiteral("/stm2frim.db"), pxtest::writeParadox(areas).table);
    pxtest::PxTable collector;
    collector.fields = pxtest::collectorFields();
    collector.rows = {{QStringLiteral("Jens Ærø Sørensen"), QStringLiteral("Frimærkevej 12"),
                       QStringLiteral("8000 Århus C"), QVariant(), QVariant(), QDate(2001, 5, 6), 1}};
    writeFile(oldDir() + QStringLiteral("/Bruger2.db"), pxtest::writeParadox(collector).table);

    pxtest::PxTable numbers;
    numbers.fields = pxtest::numberFields();
    numbers.blockKiB = 4;
    auto& list = const_cast<QList<Row>&>(rows());
    numbers.rows.reserve(Numbers);
    list.reserve(Numbers);
    for (int i = 0; i < Numbers; ++i) {
        const int a = i % 40;
        const QString land = QStringLiteral("A%1").arg(a);
        const QString area = names[a % 5] + QString::number(a);
        const QString type = i % 23 == 0 ? QStringLiteral("a") : QString();
        const QString mint = i % 3 == 0 ? QStringLiteral("x") : QString();
        const QString used = i % 2 == 0 ? QStringLiteral("x") : QString();
        const QString picture = i % 10 == 0 ? QStringLiteral("billeder/%1/%2.jpg").arg(land).arg(i) : QString();
        const QString remark = i % 9 == 0 ? QStringLiteral("Små tænder, skæv centrering") : QString();
        numbers.rows << QList<QVariant>{land,
                                        area,
                                        double(i / 40 + 1),
                                        type.isEmpty() ? QVariant() : type,
                                        mint.isEmpty() ? QVariant() : mint,
                                        QVariant(),
                                        used.isEmpty() ? QVariant() : used,
                                        picture.isEmpty() ? QVariant() : picture,
                                        remark.isEmpty() ? QVariant() : remark,
                                        i + 1};
        list << Row{land.toUtf8(), area.toUtf8(),    type.toUtf8(),   mint.toUtf8(), QByteArray(),
                    used.toUtf8(), picture.toUtf8(), remark.toUtf8(), i / 40 + 1,    i + 1};
    }
    writeFile(oldDir() + QStringLiteral("/stm2manc.DB"), pxtest::writeParadox(numbers).table);
}

void bindText(sqlite3_stmt* stmt, int i, const QByteArray& v)
{
    if (v.isEmpty())
        sqlite3_bind_null(stmt, i);
    else
        sqlite3_bind_text(stmt, i, v.constData(), int(v.size()), SQLITE_STATIC);
}

void BM_InsertFloor(benchmark::State& state)
{
    prepare();
    int run = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString dir = workDir().filePath(QStringLiteral("floor%1").arg(++run));
        tablefiles::create(dir);
        state.ResumeTiming();
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(dir + QStringLiteral("/stm2manc.DB")).constData(), &db);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db,
                           "INSERT INTO stm2manc (Land,Stamoplysning,Nummer,Type,\"***\",\"*\",O,Billede,"
                           "Bemærkning,Tæller) VALUES (?1,?2,?3,?4,?5,?6,?7,?8,?9,?10)",
                           -1, &stmt, nullptr);
        for (const Row& r : rows()) {
            bindText(stmt, 1, r.land);
            bindText(stmt, 2, r.area);
            sqlite3_bind_int64(stmt, 3, r.number);
            bindText(stmt, 4, r.type);
            bindText(stmt, 5, r.mint);
            bindText(stmt, 6, r.unused);
            bindText(stmt, 7, r.used);
            bindText(stmt, 8, r.picture);
            bindText(stmt, 9, r.remark);
            sqlite3_bind_int64(stmt, 10, r.counter);
            sqlite3_step(stmt);
            sqlite3_reset(stmt);
        }
        sqlite3_finalize(stmt);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    state.counters["rows"] = Numbers;
}

void BM_ImportParadox(benchmark::State& state)
{
    prepare();
    int run = 0;
    QString sink;
    QTextStream out(&sink);
    for (auto _ : state) {
        const QString dir = workDir().filePath(QStringLiteral("import%1").arg(++run));
        tablefiles::importParadox({oldDir(), dir, false, {}}, out);
        sink.clear();
    }
    state.counters["rows"] = Numbers;
}

// The import first: the floor's prepared rows would raise its peak memory.
BENCHMARK(BM_ImportParadox)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_InsertFloor)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
