#include "BmpDecoder.h"

#include "Error.h"
#include "PictureLimits.h"
#include "ReadGuardDevice.h"

#include <QImageReader>
#include <QtEndian>

namespace kvilbro {

namespace {

// What the headers say, read before Qt's reader sees the file.
struct Header {
    qint64 width = 0;
    qint64 height = 0;
    bool runLength = false;
};

Header readHeader(QIODevice& device)
{
    Header header;
    const QByteArray head = device.peek(34);
    if (head.size() < 26 || !head.startsWith("BM"))
        return header; // the reader will say what is wrong
    const auto* bytes = reinterpret_cast<const uchar*>(head.constData());
    const quint32 infoSize = qFromLittleEndian<quint32>(bytes + 14);
    if (infoSize == 12) { // the old OS/2 header with 16-bit sides
        header.width = qFromLittleEndian<quint16>(bytes + 18);
        header.height = qFromLittleEndian<quint16>(bytes + 20);
    } else {
        header.width = qAbs(qint64(qFromLittleEndian<qint32>(bytes + 18)));
        header.height = qAbs(qint64(qFromLittleEndian<qint32>(bytes + 22))); // negative: stored top-down
        if (head.size() >= 34) {
            const quint32 compression = qFromLittleEndian<quint32>(bytes + 30);
            header.runLength = compression == 1 || compression == 2;
        }
    }
    return header;
}

} // namespace

QImage decodeBmp(QIODevice& device, const QString& fileName, qint64 maxDecodedBytes)
{
    // Qt refuses large pictures itself, with a message that does not say why.
    const Header header = readHeader(device);
    checkDecodedSize(header.width, header.height, maxDecodedBytes, fileName);
    ReadGuardDevice guard(&device);
    if (!guard.openForReading())
        throw Error(device.errorString(), Error::Kind::Picture);
    QImageReader reader(&guard, QByteArrayLiteral("bmp"));
    // The extension decides: a PNG named .bmp is not a bitmap.
    reader.setAutoDetectImageFormat(false);
    // Our own bound is checked above; Qt's smaller default must not get in first.
    reader.setAllocationLimit(int(maxDecodedBytes >> 20) + 1);

    QImage image;
    // A run-length bitmap may skip pixels, which Qt leaves as they were in
    // memory: offered a cleared picture of the right kind, it draws into that.
    if (header.runLength && header.width > 0 && header.height > 0) {
        image = QImage(int(header.width), int(header.height), QImage::Format_Indexed8);
        image.fill(0);
    }
    const bool ok = reader.read(&image);
    // Qt also gives up without reading when the file ends right after a header.
    if (guard.readPastEnd() || (!ok && guard.atEnd()))
        throw Error(QStringLiteral("Premature end of bitmap file"), Error::Kind::Picture);
    if (!ok || image.isNull())
        throw Error(reader.errorString(), Error::Kind::Picture);
    return image;
}

} // namespace kvilbro
