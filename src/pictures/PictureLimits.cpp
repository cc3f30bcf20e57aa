#include "PictureLimits.h"

#include "Error.h"

namespace kvilbro {

void checkDecodedSize(qint64 width, qint64 height, qint64 maxBytes, const QString& fileName)
{
    // Both sides come from a file header and are below 2^31, so the product fits.
    if (width < 0 || height < 0 || width * height > maxBytes / 4)
        throwTooLarge(width, height, maxBytes, fileName);
}

void throwTooLarge(qint64 width, qint64 height, qint64 maxBytes, const QString& fileName)
{
    const QString size = QStringLiteral("%1 × %2 pixels").arg(width).arg(height);
    QString limit = QStringLiteral("%1 bytes").arg(maxBytes);
    if (maxBytes > 0 && maxBytes % (qint64(1) << 30) == 0)
        limit = QStringLiteral("%1 GiB").arg(maxBytes >> 30);
    else if (maxBytes > 0 && maxBytes % (qint64(1) << 20) == 0)
        limit = QStringLiteral("%1 MiB").arg(maxBytes >> 20);
    if (fileName.isEmpty()) {
        throw Error(
            QStringLiteral("The picture is too large to show: %1 would take more than %2 of memory").arg(size, limit),
            Error::Kind::Picture);
    }
    throw Error(QStringLiteral("The picture %1 is too large to show: %2 would take more than %3 of memory")
                    .arg(fileName, size, limit),
                Error::Kind::Picture);
}

} // namespace kvilbro
