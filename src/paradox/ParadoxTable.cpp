#include "ParadoxTable.h"

#include "FieldValues.h"
#include "MemoFile.h"
#include "ParadoxError.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>

#include <vector>

namespace kvilbro::paradox {

namespace {

constexpr int BlockHeader = 6;
constexpr int MaxHeader = 0xFFFF;
constexpr int MemoTail = 10;
constexpr int MemoWarningLimit = 20;

// The blob file beside a table, found whatever the letter case of its name.
QString memoPathFor(const QString& path)
{
    const QFileInfo info(path);
    const QString wanted = info.completeBaseName() + QStringLiteral(".mb");
    const QStringList names = info.dir().entryList(QDir::Files);
    for (const QString& name : names) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return info.dir().filePath(name);
    }
    return {};
}

} // namespace

ParadoxTable::ParadoxTable(const QString& path) : path_(path), name_(QDir::toNativeSeparators(path)), file_(path)
{
    if (!file_.open(QIODevice::ReadOnly))
        throw ParadoxError(QStringLiteral("%1: cannot be opened (%2).").arg(name_, file_.errorString()));
    fileSize_ = file_.size();
    const QByteArray start = file_.read(std::min<qint64>(fileSize_, MaxHeader));
    header_ = parseHeader(start, fileSize_, name_);
    if (header_.encrypted)
        throw ParadoxError(QStringLiteral("%1: the table is protected with a password (encrypted) and cannot be "
                                          "read. Save a copy without the password and import that.")
                               .arg(name_));
    setCodePage(header_.codePage == 0 ? 437 : header_.codePage);
    const QString memoPath = memoPathFor(path);
    if (!memoPath.isEmpty()) {
        memo_ = std::make_unique<MemoFile>(memoPath);
        if (!memo_->isOpen())
            memo_.reset();
    }
}

ParadoxTable::~ParadoxTable() = default;

bool ParadoxTable::hasMemoFile() const
{
    return memo_ != nullptr;
}

void ParadoxTable::setCodePage(int codePage)
{
    const QString converter = converterName(codePage);
    if (converter.isEmpty())
        throw ParadoxError(QStringLiteral("%1: no converter for code page %2.").arg(name_).arg(codePage));
    codePage_ = codePage;
    decoder_ = QStringDecoder(converter.toLatin1().constData());
    for (Field& f : header_.fields)
        f.name = decoder_.decode(f.rawName);
}

QString ParadoxTable::text(const QByteArray& bytes)
{
    return decoder_.decode(bytes);
}

void ParadoxTable::warn(const QString& text)
{
    if (!warnings_.contains(text))
        warnings_ << text;
}

void ParadoxTable::forEachRecord(const std::function<bool(const uchar*)>& row)
{
    const int recordSize = header_.recordSize;
    const int blockSize = header_.blockSize;
    std::vector<uchar> block(size_t(blockSize), 0);
    std::vector<bool> visited(size_t(header_.fileBlocks) + 1, false);
    qint64 rows = 0;
    int number = header_.firstBlock;
    // An empty table has no first block.
    while (number != 0) {
        if (number < 0 || number > header_.fileBlocks)
            throw ParadoxError(QStringLiteral("%1: the chain of data blocks leads to block %2 of %3; the table is "
                                              "damaged.")
                                   .arg(name_)
                                   .arg(number)
                                   .arg(header_.fileBlocks));
        if (visited[size_t(number)])
            throw ParadoxError(QStringLiteral("%1: the chain of data blocks returns to block %2; the table is damaged.")
                                   .arg(name_)
                                   .arg(number));
        visited[size_t(number)] = true;
        const qint64 at = qint64(header_.headerSize) + qint64(number - 1) * blockSize;
        const qint64 onDisk = std::clamp<qint64>(fileSize_ - at, 0, blockSize);
        if (onDisk < BlockHeader) {
            warn(QStringLiteral("Block %1 lies beyond the end of the file; the rows after it are lost.").arg(number));
            break;
        }
        if (!file_.seek(at) || file_.read(reinterpret_cast<char*>(block.data()), onDisk) != onDisk)
            throw ParadoxError(
                QStringLiteral("%1: block %2 cannot be read (%3).").arg(name_).arg(number).arg(file_.errorString()));
        const int next = qFromLittleEndian<quint16>(block.data());
        const int lastOffset = qFromLittleEndian<qint16>(block.data() + 4);
        int count = 0;
        if (lastOffset >= 0) {
            if (lastOffset % recordSize != 0 || BlockHeader + lastOffset + recordSize > blockSize)
                throw ParadoxError(QStringLiteral("%1: block %2 claims records up to byte %3 of a %4-byte block; the "
                                                  "table is damaged.")
                                       .arg(name_)
                                       .arg(number)
                                       .arg(lastOffset + recordSize)
                                       .arg(blockSize));
            count = lastOffset / recordSize + 1;
        }
        const int whole = int((onDisk - BlockHeader) / recordSize);
        if (whole < count) {
            warn(QStringLiteral("Block %1 is cut short on disk: %2 of its %3 rows were read.")
                     .arg(number)
                     .arg(whole)
                     .arg(count));
            count = whole;
        } else if (onDisk < blockSize) {
            warn(QStringLiteral("Block %1 is cut short on disk (%2 of %3 bytes); its %4 rows were whole.")
                     .arg(number)
                     .arg(onDisk)
                     .arg(blockSize)
                     .arg(count));
        }
        for (int i = 0; i < count; ++i) {
            ++rows;
            if (!row(block.data() + BlockHeader + i * recordSize))
                return;
        }
        number = next;
    }
    if (rows != qint64(header_.recordCount))
        warn(QStringLiteral("The header counts %1 rows; %2 were found.").arg(header_.recordCount).arg(rows));
}

QVariant ParadoxTable::value(const uchar* record, int field)
{
    const Field& f = header_.fields.at(field);
    const uchar* p = record + f.offset;
    switch (f.type) {
    case Alpha: {
        const QByteArray bytes = alphaBytes(p, f.size);
        return bytes.isEmpty() ? QVariant() : QVariant(decoder_.decode(bytes));
    }
    case Short:
        return shortValue(p);
    case Long:
    case AutoIncrement:
        return longValue(p);
    case Number:
    case Currency:
        return numberValue(p);
    case Date:
        return dateValue(p);
    case Time:
        return timeValue(p);
    case Timestamp:
        return timestampValue(p);
    case Logical:
        return logicalValue(p);
    case Memo:
    case FormattedMemo:
        return memoValue(p, f);
    default:
        return allZero(p, f.size) ? QVariant() : QVariant(QByteArray(reinterpret_cast<const char*>(p), f.size));
    }
}

QVariant ParadoxTable::memoValue(const uchar* p, const Field& f)
{
    const int inlineSize = f.size - MemoTail;
    const quint32 pointer = qFromLittleEndian<quint32>(p + inlineSize);
    const quint32 length = qFromLittleEndian<quint32>(p + inlineSize + 4);
    if (length == 0)
        return {};
    const QByteArray leader = QByteArray(reinterpret_cast<const char*>(p), std::min<int>(inlineSize, int(length)));
    if (length <= quint32(inlineSize))
        return text(alphaBytes(reinterpret_cast<const uchar*>(leader.constData()), int(leader.size())));
    QString why = QStringLiteral("there is no blob file");
    if (memo_) {
        if (const auto blob = memo_->read(pointer, length, &why)) {
            const QByteArray& b = *blob;
            return text(alphaBytes(reinterpret_cast<const uchar*>(b.constData()), int(b.size())));
        }
    }
    if (++memoWarnings_ <= MemoWarningLimit)
        warn(QStringLiteral("A memo in the field '%1' is read only as far as the record holds it (%2 of %3 bytes): %4.")
                 .arg(f.name)
                 .arg(leader.size())
                 .arg(length)
                 .arg(why));
    return text(alphaBytes(reinterpret_cast<const uchar*>(leader.constData()), int(leader.size())));
}

ByteCounts ParadoxTable::textByteCounts()
{
    ByteCounts counts{};
    for (const Field& f : std::as_const(header_.fields)) {
        for (const char c : f.rawName)
            ++counts[quint8(c)];
    }
    forEachRecord([&](const uchar* record) {
        for (const Field& f : std::as_const(header_.fields)) {
            if (f.type != Alpha && f.type != Memo && f.type != FormattedMemo)
                continue;
            const int size = f.type == Alpha ? f.size : f.size - MemoTail;
            for (int i = 0; i < size && record[f.offset + i] != 0; ++i)
                ++counts[record[f.offset + i]];
        }
        return true;
    });
    return counts;
}

} // namespace kvilbro::paradox
