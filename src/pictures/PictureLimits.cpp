#include "PictureLimits.h"

#include "Error.h"
#include "PictureMessages.h"

namespace kvilbro {

void checkDecodedSize(qint64 width, qint64 height, qint64 maxBytes, const QString& fileName)
{
    // Both sides come from a file header and are below 2^31, so the product fits.
    if (width < 0 || height < 0 || width * height > maxBytes / 4)
        throwTooLarge(width, height, maxBytes, fileName);
}

void throwTooLarge(qint64 width, qint64 height, qint64 maxBytes, const QString& fileName)
{
    throw Error(picturemessages::tooLarge(fileName, width, height, maxBytes), Error::Kind::Picture);
}

} // namespace kvilbro
