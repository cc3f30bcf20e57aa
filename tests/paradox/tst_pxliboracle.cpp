// Our reader against pxlib, a second reader written by others: on every
// sample table and on tables built for the stamp schema, both must read the
// same rows, blanks and values.
#include "ParadoxTable.h"

#include <QDate>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// A C library whose header does not say so.
extern "C" {
#include <paradox.h>
}

#include <cmath>
#include <limits>

using namespace kvilbro::paradox;

// pxlib keeps one small allocation of its own to the end; that is not ours to find.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libpx.so\n";
}

namespace {

// pxlib's day number: days since 1 January of the year 1, which is day 1.
qint64 dayNumber(const QDate& date)
{
    return date.toJulianDay() - QDate(1, 1, 1).toJulianDay() + 1;
}

// Every record of `path` as text, one field after another, read by pxlib.
QStringList readWithPxlib(const QString& path, ParadoxTable& ours)
{
    pxdoc_t* doc = PX_new();
    QStringList rows;
    if (PX_open_file(doc, QFile::encodeName(path).constData()) < 0) {
        PX_delete(doc);
        return {QStringLiteral("pxlib cannot open it")};
    }
    const int records = PX_get_num_records(doc);
    pxfield_t* fields = PX_get_fields(doc);
    const int fieldCount = PX_get_num_fields(doc);
    for (int r = 0; r < records; ++r) {
        pxval_t** values = PX_retrieve_record(doc, r);
        if (!values) {
            rows << QStringLiteral("record %1 unreadable").arg(r);
            continue;
        }
        QStringList cells;
        for (int f = 0; f < fieldCount; ++f) {
            const pxval_t* v = values[f];
            const char type = fields[f].px_ftype;
            const bool compared = !(type == pxfMemoBLOb || type == pxfFmtMemoBLOb || type == pxfBLOb ||
                                    type == pxfGraphic || type == pxfOLE || type == pxfBCD || type == pxfBytes);
            // pxlib 0.6 gives a blank number, date or time as the smallest
            // value (and a blank time stamp as 0) where the sample tables' own
            // notes say blank; those notes win.
            const bool pxlibBlank = ((type == pxfLong || type == pxfAutoInc || type == pxfDate || type == pxfTime) &&
                                     v->value.lval == std::numeric_limits<qint32>::min()) ||
                                    (type == pxfShort && v->value.lval == std::numeric_limits<qint16>::min()) ||
                                    (type == pxfTimestamp && v->value.dval == 0.0);
            if (!compared) {
                cells << QStringLiteral("<not compared>");
            } else if (v->isnull || pxlibBlank) {
                cells << QStringLiteral("<blank>");
            } else if (type == pxfAlpha) {
                cells << ours.text(QByteArray(v->value.str.val, int(qstrnlen(v->value.str.val, v->value.str.len))));
            } else if (type == pxfShort || type == pxfLong || type == pxfAutoInc || type == pxfLogical) {
                cells << QString::number(qint64(v->value.lval));
            } else if (type == pxfDate) {
                cells << QStringLiteral("day %1").arg(qint64(v->value.lval));
            } else if (type == pxfTime) {
                cells << QStringLiteral("ms %1").arg(qint64(v->value.lval));
            } else if (type == pxfNumber || type == pxfCurrency) {
                cells << QString::number(v->value.dval, 'g', 15);
            } else if (type == pxfTimestamp) {
                cells << QString::number(v->value.dval, 'g', 15);
            } else {
                cells << QStringLiteral("<not compared>");
            }
        }
        for (int f = 0; f < fieldCount; ++f) {
            if (values[f]->type == pxfAlpha && values[f]->value.str.val)
                doc->free(doc, values[f]->value.str.val);
            doc->free(doc, values[f]);
        }
        doc->free(doc, values);
        rows << cells.join(QStringLiteral(" | "));
    }
    PX_close(doc);
    PX_delete(doc);
    return rows;
}

// The same as our reader gives it.
QStringList readWithOurs(ParadoxTable& table)
{
    QStringList rows;
    const QList<Field>& fields = table.header().fields;
    table.forEachRecord([&](const uchar* record) {
        QStringList cells;
        for (int f = 0; f < fields.size(); ++f) {
            const quint8 type = fields[f].type;
            const QVariant v = type == pxfMemoBLOb || type == pxfFmtMemoBLOb || type == pxfBLOb || type == pxfGraphic ||
                                       type == pxfOLE || type == pxfBCD || type == pxfBytes
                                   ? QVariant(QStringLiteral("<not compared>"))
                                   : table.value(record, f);
            if (!v.isValid()) {
                cells << QStringLiteral("<blank>");
            } else if (type == pxfDate) {
                cells << QStringLiteral("day %1").arg(dayNumber(v.toDate()));
            } else if (type == pxfTime) {
                cells << QStringLiteral("ms %1").arg(v.toTime().msecsSinceStartOfDay());
            } else if (type == pxfTimestamp) {
                const QDateTime t = v.toDateTime();
                const double ms = double(dayNumber(t.date())) * 86400000.0 + t.time().msecsSinceStartOfDay();
                cells << QString::number(ms, 'g', 15);
            } else if (type == pxfLogical) {
                cells << QString::number(v.toBool() ? 1 : 0);
            } else if (type == pxfNumber || type == pxfCurrency) {
                cells << QString::number(v.toDouble(), 'g', 15);
            } else {
                cells << v.toString();
            }
        }
        rows << cells.join(QStringLiteral(" | "));
        return true;
    });
    return rows;
}

} // namespace

class PxlibOracleTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { PX_boot(); }
    void cleanupTestCase() { PX_shutdown(); }

    void bothReadersAgree_data()
    {
        QTest::addColumn<QString>("path");
        const QString fixtures = QStringLiteral(KVILBRO_PARADOX_FIXTURES);
        for (const char* name :
             {"paradoxReader/PCL.DB", "paradoxdriver/fields/long.db", "paradoxdriver/fields/date35.db",
              "paradoxdriver/fields/date4.db", "paradoxdriver/fields/date5.db", "paradoxdriver/fields/date7.db",
              "paradoxdriver/fields/time.db", "paradoxdriver/fields/timestamp.db", "paradoxdriver/fields/logical.db",
              "paradoxdriver/db/CUSTOMER.DB", "paradoxdriver/db/CONTACTS.DB", "paradoxdriver/geog/County.DB"})
            QTest::newRow(name) << fixtures + u'/' + QString::fromLatin1(name);
    }
    void bothReadersAgree()
    {
        QFETCH(QString, path);
        ParadoxTable ours(path);
        const QStringList expected = readWithPxlib(path, ours);
        const QStringList read = readWithOurs(ours);
        QCOMPARE(read.size(), expected.size());
        for (qsizetype i = 0; i < read.size(); ++i)
            QCOMPARE(read[i], expected[i]);
    }
};

QTEST_MAIN(PxlibOracleTest)
#include "tst_pxliboracle.moc"
