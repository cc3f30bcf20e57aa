#include "ParadoxWriter.h"

#include "ParadoxHeader.h"

#include <QDate>
#include <QDateTime>
#include <QStringEncoder>
#include <QTime>
#include <QtEndian>

#include <cstring>

using namespace kvilbro::paradox;

namespace pxtest {

namespace {

void put16(QByteArray& b, int at, quint16 v)
{
    qToLittleEndian(v, b.data() + at);
}

void put32(QByteArray& b, int at, quint32 v)
{
    qToLittleEndian(v, b.data() + at);
}

void bigFlipped(uchar* p, quint64 v, int size)
{
    for (int i = size - 1; i >= 0; --i, v >>= 8)
        p[i] = uchar(v);
    p[0] ^= 0x80;
}

QByteArray encoded(const QString& text, int codePage)
{
    const QByteArray name = codePage >= 1250 ? QByteArray("windows-") + QByteArray::number(codePage)
                                             : QByteArray("IBM") + QByteArray::number(codePage);
    QStringEncoder encoder(name.constData());
    return encoder.encode(text);
}

void putDouble(uchar* p, double d)
{
    quint64 bits = 0;
    std::memcpy(&bits, &d, 8);
    bits = d >= 0 ? bits | (quint64(1) << 63) : ~bits;
    for (int i = 7; i >= 0; --i, bits >>= 8)
        p[i] = uchar(bits);
}

constexpr qint64 DayZero = 1721425;

} // namespace

PxFiles writeParadox(const PxTable& spec)
{
    PxFiles files;
    const bool longHeader = spec.versionId >= 5;
    int recordSize = 0;
    for (const PxField& f : spec.fields)
        recordSize += f.size;
    const int blockSize = spec.blockKiB * 1024;
    const int perBlock = (blockSize - 6) / recordSize;
    const int blocks = int((spec.rows.size() + perBlock - 1) / perBlock);

    const int headerSize = 0x800;
    QByteArray h(headerSize, '\0');
    put16(h, 0x00, quint16(recordSize));
    put16(h, 0x02, quint16(headerSize));
    h[0x04] = 2;
    h[0x05] = char(spec.blockKiB);
    put32(h, 0x06, quint32(spec.rows.size()));
    put16(h, 0x0A, quint16(blocks));
    put16(h, 0x0C, quint16(blocks));
    put16(h, 0x0E, quint16(blocks == 0 ? 0 : spec.reverseBlocks ? blocks : 1));
    put16(h, 0x10, quint16(blocks == 0 ? 0 : spec.reverseBlocks ? 1 : blocks));
    put16(h, 0x21, quint16(spec.fields.size()));
    h[0x39] = char(spec.versionId);
    int at = 0x58;
    if (longHeader) {
        put32(h, 0x25, spec.encrypted ? 0 : 0xFF00FF00u);
        put32(h, 0x5C, spec.encrypted ? 0x1234567u : 0);
        put16(h, 0x6A, quint16(spec.codePage));
        at = 0x78;
    } else {
        put32(h, 0x25, spec.encrypted ? 0x1234567u : 0);
    }
    for (const PxField& f : spec.fields) {
        h[at++] = char(f.type);
        h[at++] = char(f.size);
    }
    at += 4 + 4 * int(spec.fields.size());
    const QByteArray tableName("stamps.db");
    std::memcpy(h.data() + at, tableName.constData(), size_t(tableName.size()));
    at += spec.versionId >= 12 ? 261 : 79;
    for (const PxField& f : spec.fields) {
        const QByteArray name = encoded(f.name, spec.codePage);
        std::memcpy(h.data() + at, name.constData(), size_t(name.size()));
        at += int(name.size()) + 1;
    }
    Q_ASSERT(at < headerSize);

    if (!spec.rows.isEmpty())
        files.memo = QByteArray(4096, '\0');
    QByteArray data(qsizetype(blocks) * blockSize, '\0');
    for (int chain = 0; chain < blocks; ++chain) {
        // Chain position -> physical block number, 1-based.
        auto physical = [&](int c) { return spec.reverseBlocks ? blocks - c : c + 1; };
        uchar* block = reinterpret_cast<uchar*>(data.data()) + qsizetype(physical(chain) - 1) * blockSize;
        const int first = chain * perBlock;
        const int count = int(std::min<qsizetype>(perBlock, spec.rows.size() - first));
        qToLittleEndian(quint16(chain + 1 < blocks ? physical(chain + 1) : 0), block);
        qToLittleEndian(quint16(chain > 0 ? physical(chain - 1) : 0), block + 2);
        qToLittleEndian(qint16((count - 1) * recordSize), block + 4);
        for (int r = 0; r < count; ++r) {
            uchar* p = block + 6 + r * recordSize;
            const QList<QVariant>& row = spec.rows[first + r];
            for (int i = 0; i < spec.fields.size(); ++i) {
                const PxField& f = spec.fields[i];
                const QVariant v = row.value(i);
                if (v.isValid()) {
                    switch (f.type) {
                    case Alpha: {
                        const QByteArray b = encoded(v.toString(), spec.codePage).left(f.size);
                        std::memcpy(p, b.constData(), size_t(b.size()));
                        break;
                    }
                    case Short:
                        bigFlipped(p, quint16(qint16(v.toInt())), 2);
                        break;
                    case Long:
                    case AutoIncrement:
                        bigFlipped(p, quint32(v.toInt()), 4);
                        break;
                    case Date:
                        bigFlipped(p, quint32(v.toDate().toJulianDay() - DayZero), 4);
                        break;
                    case Time:
                        bigFlipped(p, quint32(v.toTime().msecsSinceStartOfDay()), 4);
                        break;
                    case Number:
                    case Currency:
                        putDouble(p, v.toDouble());
                        break;
                    case Timestamp: {
                        const QDateTime t = v.toDateTime();
                        putDouble(
                            p, double((t.date().toJulianDay() - DayZero) * 86400000 + t.time().msecsSinceStartOfDay()));
                        break;
                    }
                    case Logical:
                        p[0] = v.toBool() ? 0x81 : 0x80;
                        break;
                    case Memo:
                    case FormattedMemo: {
                        const QByteArray b = encoded(v.toString(), spec.codePage);
                        const int leader = f.size - 10;
                        std::memcpy(p, b.constData(), size_t(std::min<qsizetype>(leader, b.size())));
                        quint32 pointer = 0;
                        if (b.size() > leader) {
                            // A blob of its own in the .MB file.
                            const qsizetype offset = files.memo.size();
                            const qsizetype chunks = (9 + b.size() + 4095) / 4096;
                            files.memo.append(QByteArray(chunks * 4096, '\0'));
                            uchar* m = reinterpret_cast<uchar*>(files.memo.data()) + offset;
                            m[0] = 2;
                            qToLittleEndian(quint16(chunks), m + 1);
                            qToLittleEndian(quint32(b.size()), m + 3);
                            std::memcpy(m + 9, b.constData(), size_t(b.size()));
                            pointer = quint32(offset) | 0xFF;
                        }
                        qToLittleEndian(pointer, p + leader);
                        qToLittleEndian(quint32(b.size()), p + leader + 4);
                        break;
                    }
                    default:
                        break;
                    }
                }
                p += f.size;
            }
        }
    }
    if (files.memo.size() == 4096)
        files.memo.clear();
    files.table = h + data;
    return files;
}

QList<PxField> areaFields()
{
    return {{QStringLiteral("National ID"), Alpha, 5},
            {QStringLiteral("Beskrivelse"), Alpha, 50},
            {QStringLiteral("Tæller"), AutoIncrement, 4}};
}

QList<PxField> numberFields()
{
    return {{QStringLiteral("Land"), Alpha, 5},       {QStringLiteral("Stamoplysning"), Alpha, 50},
            {QStringLiteral("Nummer"), Number, 8},    {QStringLiteral("Type"), Alpha, 10},
            {QStringLiteral("***"), Alpha, 3},        {QStringLiteral("*"), Alpha, 3},
            {QStringLiteral("O"), Alpha, 3},          {QStringLiteral("Billede"), Alpha, 120},
            {QStringLiteral("Bemærkning"), Memo, 60}, {QStringLiteral("Tæller"), AutoIncrement, 4}};
}

QList<PxField> collectorFields()
{
    return {{QStringLiteral("Brugernavn"), Alpha, 50},   {QStringLiteral("Adresse"), Alpha, 50},
            {QStringLiteral("By"), Alpha, 50},           {QStringLiteral("Telefon"), Alpha, 30},
            {QStringLiteral("Email"), Alpha, 60},        {QStringLiteral("Dato"), Date, 4},
            {QStringLiteral("Tæller"), AutoIncrement, 4}};
}

} // namespace pxtest
