#include "PictureCache.h"

#include "PictureLoader.h"

#include <cmath>

namespace kvilbro {

QSize PictureCache::pixelsFor(QSizeF boxMm)
{
    const double perMm = MaxDotsPerInch / 25.4;
    return QSize(std::max(1, int(std::ceil(boxMm.width() * perMm))),
                 std::max(1, int(std::ceil(boxMm.height() * perMm))));
}

QSize PictureCache::fileSize(const QString& path)
{
    if (auto it = sizes_.constFind(path); it != sizes_.constEnd())
        return *it;
    const QSize size = pictureFileSize(path);
    sizes_.insert(path, size);
    return size;
}

QImage PictureCache::picture(const QString& path, QSizeF boxMm)
{
    const QSize pixels = pixelsFor(boxMm);
    const QString key = QStringLiteral("%1x%2|%3").arg(pixels.width()).arg(pixels.height()).arg(path);
    if (auto it = pictures_.constFind(key); it != pictures_.constEnd())
        return *it;
    QImage image = loadPictureFor(path, pixels);
    // The picture is drawn stretched into its box: only the box's pixels matter.
    if (image.width() > pixels.width() || image.height() > pixels.height())
        image = image.scaled(pixels.boundedTo(image.size()).expandedTo(QSize(1, 1)), Qt::IgnoreAspectRatio,
                             Qt::SmoothTransformation);
    pictures_.insert(key, image);
    return image;
}

} // namespace kvilbro
