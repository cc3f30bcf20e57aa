#include "MemoFile.h"

#include <QtEndian>

namespace kvilbro::paradox {

namespace {

constexpr qint64 ChunkSize = 4096;
constexpr int SingleBlob = 2;
constexpr int SharedBlock = 3;
constexpr int SingleHeader = 9;
constexpr int SlotTable = 12;
constexpr int SlotSize = 5;
constexpr int SlotCount = 64;

} // namespace

MemoFile::MemoFile(const QString& path) : file_(path)
{
    if (file_.open(QIODevice::ReadOnly))
        size_ = file_.size();
}

std::optional<QByteArray> MemoFile::read(quint32 pointer, quint32 length, QString* why)
{
    const qint64 block = qint64(pointer & 0xFFFFFF00u);
    const int slot = int(pointer & 0xFFu);
    if (block == 0 || block + SingleHeader > size_) {
        *why = QStringLiteral("the blob pointer 0x%1 lies outside the blob file").arg(pointer, 8, 16, QLatin1Char('0'));
        return std::nullopt;
    }
    if (!file_.seek(block)) {
        *why = file_.errorString();
        return std::nullopt;
    }
    const QByteArray head = file_.read(slot == 0xFF ? SingleHeader : SlotTable + SlotSize * SlotCount);
    if (head.size() < SingleHeader) {
        *why = QStringLiteral("the blob file cannot be read");
        return std::nullopt;
    }
    const int type = quint8(head[0]);
    qint64 start = 0;
    qint64 stored = 0;
    if (slot == 0xFF) {
        if (type != SingleBlob) {
            *why = QStringLiteral("the blob block at %1 is of type %2, not a blob of its own").arg(block).arg(type);
            return std::nullopt;
        }
        stored = qFromLittleEndian<quint32>(head.constData() + 3);
        start = block + SingleHeader;
    } else {
        if (type != SharedBlock || slot >= SlotCount || head.size() < SlotTable + SlotSize * (slot + 1)) {
            *why = QStringLiteral("the blob block at %1 holds no entry %2").arg(block).arg(slot);
            return std::nullopt;
        }
        const uchar* entry = reinterpret_cast<const uchar*>(head.constData()) + SlotTable + SlotSize * slot;
        // Offset and length in 16-byte paragraphs, then the length's remainder.
        const int paragraphs = entry[1];
        if (entry[0] == 0 || paragraphs == 0) {
            *why = QStringLiteral("entry %1 of the blob block at %2 is empty").arg(slot).arg(block);
            return std::nullopt;
        }
        start = block + 16 * qint64(entry[0]);
        stored = 16 * qint64(paragraphs - 1) + entry[4];
        if (entry[4] == 0)
            stored += 16;
        if (start + stored > block + ChunkSize) {
            *why = QStringLiteral("entry %1 of the blob block at %2 runs past its block").arg(slot).arg(block);
            return std::nullopt;
        }
    }
    if (stored != qint64(length)) {
        *why = QStringLiteral("the blob at %1 holds %2 bytes, the record says %3").arg(block).arg(stored).arg(length);
        return std::nullopt;
    }
    if (start + stored > size_ || !file_.seek(start)) {
        *why = QStringLiteral("the blob at %1 runs past the end of the blob file").arg(block);
        return std::nullopt;
    }
    QByteArray data = file_.read(stored);
    if (data.size() != stored) {
        *why = QStringLiteral("the blob at %1 cannot be read whole").arg(block);
        return std::nullopt;
    }
    return data;
}

} // namespace kvilbro::paradox
