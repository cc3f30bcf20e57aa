#include "ParadoxHeader.h"

#include "ParadoxError.h"

#include <QtEndian>

namespace kvilbro::paradox {

namespace {

// Where the fixed header ends, and the longer one of tables from version 4 on.
constexpr int BaseHeaderSize = 0x58;
constexpr int LongHeaderSize = 0x78;
constexpr int MaxFields = 255;

quint16 u16(const QByteArray& b, int at)
{
    return qFromLittleEndian<quint16>(b.constData() + at);
}

quint32 u32(const QByteArray& b, int at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}

// Width in bytes a field of this type must have; 0 for types whose width varies.
int fixedSize(quint8 type)
{
    switch (type) {
    case Date:
    case Long:
    case Time:
    case AutoIncrement:
        return 4;
    case Short:
        return 2;
    case Currency:
    case Number:
    case Timestamp:
        return 8;
    case Logical:
        return 1;
    case Bcd:
        return 17;
    default:
        return 0;
    }
}

bool knownType(quint8 type)
{
    return type == Alpha || fixedSize(type) != 0 || type == Memo || type == Blob || type == FormattedMemo ||
           type == Ole || type == Graphic || type == Bytes;
}

} // namespace

QString Header::versionText() const
{
    switch (versionId) {
    case 3:
        return QStringLiteral("3.0");
    case 4:
        return QStringLiteral("3.5");
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
        return QStringLiteral("4");
    case 10:
    case 11:
        return QStringLiteral("5");
    default:
        return QStringLiteral("7");
    }
}

const char* fieldTypeName(quint8 type)
{
    switch (type) {
    case Alpha:
        return "alpha";
    case Date:
        return "date";
    case Short:
        return "short";
    case Long:
        return "long";
    case Currency:
        return "currency";
    case Number:
        return "number";
    case Logical:
        return "logical";
    case Memo:
        return "memo";
    case Blob:
        return "binary";
    case FormattedMemo:
        return "formatted memo";
    case Ole:
        return "OLE";
    case Graphic:
        return "graphic";
    case Time:
        return "time";
    case Timestamp:
        return "timestamp";
    case AutoIncrement:
        return "autoincrement";
    case Bcd:
        return "BCD";
    case Bytes:
        return "bytes";
    default:
        return "unknown";
    }
}

Header parseHeader(const QByteArray& bytes, qint64 fileSize, const QString& file)
{
    auto refuse = [&file](const QString& why) { return ParadoxError(QStringLiteral("%1: %2").arg(file, why)); };
    if (bytes.size() < BaseHeaderSize)
        throw refuse(QStringLiteral("too short for a Paradox table (%1 bytes).").arg(bytes.size()));

    Header h;
    h.recordSize = u16(bytes, 0x00);
    h.headerSize = u16(bytes, 0x02);
    h.fileType = quint8(bytes[0x04]);
    const int blockKiB = quint8(bytes[0x05]);
    h.recordCount = u32(bytes, 0x06);
    h.fileBlocks = u16(bytes, 0x0C);
    h.firstBlock = u16(bytes, 0x0E);
    h.lastBlock = u16(bytes, 0x10);
    const int fieldCount = u16(bytes, 0x21);
    const quint32 encryption1 = u32(bytes, 0x25);
    h.versionId = quint8(bytes[0x39]);
    h.autoIncrement = u32(bytes, 0x49);

    // Only data tables: 0 keyed, 2 not keyed.
    if (h.fileType != 0 && h.fileType != 2)
        throw refuse(QStringLiteral("not a Paradox data table (file type %1).").arg(h.fileType));
    if (h.versionId < 3 || h.versionId > 12)
        throw refuse(QStringLiteral("unknown Paradox version number %1.").arg(h.versionId));
    if (blockKiB < 1 || blockKiB > 32)
        throw refuse(QStringLiteral("block size of %1 KiB; Paradox uses 1 to 32.").arg(blockKiB));
    h.blockSize = blockKiB * 1024;
    const bool longHeader = h.versionId >= 5;
    const int fixedEnd = longHeader ? LongHeaderSize : BaseHeaderSize;
    if (h.headerSize < fixedEnd || h.headerSize > bytes.size() || h.headerSize > fileSize)
        throw refuse(
            QStringLiteral("header size %1 does not fit the file (%2 bytes).").arg(h.headerSize).arg(fileSize));
    if (fieldCount < 1 || fieldCount > MaxFields)
        throw refuse(QStringLiteral("%1 fields; a table has 1 to %2.").arg(fieldCount).arg(MaxFields));
    if (h.recordSize < 1 || h.recordSize > h.blockSize - 6)
        throw refuse(
            QStringLiteral("record size %1 does not fit a block of %2 bytes.").arg(h.recordSize).arg(h.blockSize));

    // A table saved with a password keeps its records scrambled; version 4 on
    // marks "no password" with a fixed pattern in the first word.
    quint32 encryption2 = 0;
    if (longHeader) {
        encryption2 = u32(bytes, 0x5C);
        h.codePage = u16(bytes, 0x6A);
    }
    h.encrypted = (encryption1 != 0 && encryption1 != 0xFF00FF00u) || encryption2 != 0;

    int at = fixedEnd;
    const int end = h.headerSize;
    if (at + 2 * fieldCount > end)
        throw refuse(QStringLiteral("the field list runs past the header."));
    int offset = 0;
    for (int i = 0; i < fieldCount; ++i) {
        Field f;
        f.type = quint8(bytes[at + 2 * i]);
        f.size = quint8(bytes[at + 2 * i + 1]);
        f.offset = offset;
        if (!knownType(f.type))
            throw refuse(QStringLiteral("field %1 has the unknown type 0x%2.").arg(i + 1).arg(int(f.type), 2, 16, QLatin1Char('0')));
        const int fixed = fixedSize(f.type);
        if (f.size == 0 || (fixed != 0 && f.size != fixed) ||
            ((f.type == Memo || f.type == FormattedMemo || f.type == Blob || f.type == Ole || f.type == Graphic) &&
             f.size < 10))
            throw refuse(QStringLiteral("field %1 (%2) has the width %3.")
                             .arg(i + 1)
                             .arg(QLatin1String(fieldTypeName(f.type)))
                             .arg(f.size));
        offset += f.size;
        h.fields << f;
    }
    if (offset != h.recordSize)
        throw refuse(QStringLiteral("the fields take %1 bytes, the record %2.").arg(offset).arg(h.recordSize));
    at += 2 * fieldCount;

    // Pointers to the table name and to each field name, meaningful only in memory.
    at += 4 + 4 * fieldCount;
    const int tableNameLength = h.versionId >= 12 ? 261 : 79;
    if (at + tableNameLength > end)
        throw refuse(QStringLiteral("the table name runs past the header."));
    const QByteArray tableName = bytes.mid(at, tableNameLength);
    h.tableName = tableName.left(tableName.indexOf('\0') < 0 ? tableName.size() : tableName.indexOf('\0'));
    at += tableNameLength;
    for (Field& f : h.fields) {
        const int stop = bytes.indexOf('\0', at);
        if (stop < 0 || stop >= end)
            throw refuse(QStringLiteral("the field names run past the header."));
        f.rawName = bytes.mid(at, stop - at);
        at = stop + 1;
    }

    if (h.firstBlock < 0 || h.firstBlock > h.fileBlocks || h.lastBlock > h.fileBlocks)
        throw refuse(QStringLiteral("the first block (%1) lies outside the table's %2 blocks.")
                         .arg(h.firstBlock)
                         .arg(h.fileBlocks));
    return h;
}

} // namespace kvilbro::paradox
