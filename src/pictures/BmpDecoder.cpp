#include "BmpDecoder.h"

#include "Error.h"
#include "PictureLimits.h"
#include "ReadGuardDevice.h"

#include <QImageReader>
#include <QtEndian>

namespace kvilbro {

namespace {

// The size from the headers, read before Qt's reader sees the file: Qt
// refuses large pictures with a message that does not say why.
void checkHeaderSize(QIODevice& device, const QString& fileName, qint64 maxDecodedBytes)
{
    const QByteArray head = device.peek(26);
    if (head.size() < 26 || !head.startsWith("BM"))
        return; // the reader will say what is wrong
    const auto* bytes = reinterpret_cast<const uchar*>(head.constData());
    const quint32 infoSize = qFromLittleEndian<quint32>(bytes + 14);
    qint64 width = 0, height = 0;
    if (infoSize == 12) { // the old OS/2 header with 16-bit sides
        width = qFromLittleEndian<quint16>(bytes + 18);
        height = qFromLittleEndian<quint16>(bytes + 20);
    } else {
        width = qFromLittleEndian<qint32>(bytes + 18);
        height = qFromLittleEndian<qint32>(bytes + 22); // negative: stored top-down
    }
    checkDecodedSize(qAbs(width), qAbs(height), maxDecodedBytes, fileName);
}

} // namespace

QImage decodeBmp(QIODevice& device, const QString& fileName, qint64 maxDecodedBytes)
{
    checkHeaderSize(device, fileName, maxDecodedBytes);
    ReadGuardDevice guard(&device);
    if (!guard.openForReading())
        throw Error(device.errorString(), Error::Kind::Picture);
    QImageReader reader(&guard, QByteArrayLiteral("bmp"));
    // The extension decides: a PNG named .bmp is not a bitmap.
    reader.setAutoDetectImageFormat(false);
    // Our own bound is checked above; Qt's smaller default must not get in first.
    reader.setAllocationLimit(int(maxDecodedBytes >> 20) + 1);

    QImage image;
    const bool ok = reader.read(&image);
    // Qt also gives up without reading when the file ends right after a header.
    if (guard.readPastEnd() || (!ok && guard.atEnd()))
        throw Error(QStringLiteral("Premature end of bitmap file"), Error::Kind::Picture);
    if (!ok || image.isNull())
        throw Error(reader.errorString(), Error::Kind::Picture);
    return image;
}

} // namespace kvilbro
