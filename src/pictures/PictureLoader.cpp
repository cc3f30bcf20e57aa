#include "PictureLoader.h"

#include "BmpDecoder.h"
#include "Error.h"
#include "JpegDecoder.h"
#include "PictureFile.h"
#include "PictureFit.h"
#include "PictureMessages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <unistd.h>

namespace kvilbro {

namespace {

enum class Decoder { None, Bitmap, Jpeg };

Decoder decoderFor(const QString& extension)
{
    if (extension.compare(QLatin1String("bmp"), Qt::CaseInsensitive) == 0)
        return Decoder::Bitmap;
    if (extension.compare(QLatin1String("jpg"), Qt::CaseInsensitive) == 0 ||
        extension.compare(QLatin1String("jpeg"), Qt::CaseInsensitive) == 0)
        return Decoder::Jpeg;
    return Decoder::None;
}

[[noreturn]] void unknownExtension(const QString& extension)
{
    throw Error(picturemessages::unknownExtension(extension), Error::Kind::Picture);
}

} // namespace

QString pictureExtension(const QString& path)
{
    // The name only: a "." in a folder's name does not count.
    const qsizetype slash = path.lastIndexOf(u'/');
    const QStringView name = QStringView(path).mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot + 1).toString();
}

namespace {

QImage decode(QIODevice& device, const QString& extension, const QString& fileName, qint64 maxDecodedBytes,
              const BoxFor& boxFor)
{
    if (!device.isOpen() && !device.open(QIODevice::ReadOnly))
        throw Error(device.errorString(), Error::Kind::Picture);
    const Decoder decoder = decoderFor(extension);
    if (decoder == Decoder::None)
        unknownExtension(extension);
    try {
        if (decoder == Decoder::Bitmap)
            return decodeBmp(device, fileName, maxDecodedBytes);
        return decodeJpeg(device, fileName, maxDecodedBytes, boxFor);
    } catch (const Error& e) {
        // The decoders speak of the data, not of the file; the collector needs to
        // know which file it was. A refusal by size names it already.
        if (fileName.isEmpty() || e.message().contains(fileName))
            throw;
        throw Error(picturemessages::cannotRead(fileName, e.message()), Error::Kind::Picture);
    }
}

BoxFor fixedBox(QSize atLeast)
{
    if (!atLeast.isValid() || atLeast.isEmpty())
        return {};
    return [atLeast](QSize) { return atLeast; };
}

} // namespace

QImage decodePicture(QIODevice& device, const QString& extension, const QString& fileName, qint64 maxDecodedBytes,
                     QSize atLeast)
{
    return decode(device, extension, fileName, maxDecodedBytes, fixedBox(atLeast));
}

// Opens the picture file for reading; throws the loader's errors.
static void openFile(const QString& path, QFile& file, QString& fullName)
{
    const QString extension = pictureExtension(path);
    if (decoderFor(extension) == Decoder::None)
        unknownExtension(extension);
    fullName = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    QString reason;
    const int fd = openPictureFile(path, &reason);
    if (fd < 0) {
        throw Error(picturemessages::cannotOpen(fullName, reason), Error::Kind::Picture);
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw Error(picturemessages::cannotOpen(fullName, file.errorString()), Error::Kind::Picture);
    }
}

static QImage load(const QString& path, const BoxFor& boxFor)
{
    QFile file;
    QString fullName;
    openFile(path, file, fullName);
    return decode(file, pictureExtension(path), fullName, MaxDecodedBytes, boxFor);
}

QSize pictureFileSize(const QString& path)
{
    QFile file;
    QString fullName;
    openFile(path, file, fullName);
    const bool bitmap = decoderFor(pictureExtension(path)) == Decoder::Bitmap;
    QImageReader reader(&file, bitmap ? QByteArrayLiteral("bmp") : QByteArrayLiteral("jpeg"));
    const QSize size = reader.size();
    if (size.isValid() && !size.isEmpty())
        return size;
    // A header the reader does not understand: the decoder says what is wrong.
    file.seek(0);
    return decodePicture(file, pictureExtension(path), fullName).size();
}

QImage loadPicture(const QString& path)
{
    return load(path, {});
}

QImage loadPictureFor(const QString& path, QSize atLeast)
{
    return load(path, fixedBox(atLeast));
}

QImage loadFittedPicture(const QString& path, qreal pixelRatio, QSize* fitted)
{
    QSize shown;
    QSize box;
    const auto fit = [&shown, &box, pixelRatio](QSize natural) {
        shown = fitPicture(natural);
        box = (QSizeF(shown) * pixelRatio).toSize().expandedTo(QSize(1, 1));
        return box;
    };
    QImage picture = load(path, fit);
    if (!box.isValid())
        fit(picture.size()); // a bitmap, read whole
    if (fitted)
        *fitted = shown;
    if (picture.width() <= box.width() && picture.height() <= box.height())
        return picture;
    // Smoothed, not sampled: the panel draws the picture at this size, and a
    // detailed picture sampled from afar shows as noise.
    return picture.scaled(box, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace kvilbro
