#pragma once

#include "JpegDecoder.h"
#include "PictureLimits.h"

#include <QImage>
#include <QSize>
#include <QString>

class QIODevice;

namespace kvilbro {

// Loads a picture file, read anew every time. The decoder is chosen by the
// extension of the file's name, letters in any case: "bmp" is a Windows
// bitmap, "jpg" and "jpeg" a JPEG file decoded at full size by libjpeg. Any
// other extension fails with "Unknown picture file extension (.ext)"; a file
// that cannot be opened fails with its full name and the system's reason; a
// damaged file with its full name and the decoder's message; a picture whose
// decoding would take more than MaxDecodedBytes is refused from its header.
// Throws Error (kind Picture); the caller's picture is untouched by a failure.
QImage loadPicture(const QString& path);

// Loads a picture for a box of `atLeast` pixels: a JPEG is decoded at the
// smallest DCT scale that still covers it (a bitmap at full size); the caller
// scales the rest of the way. Fails as loadPicture does.
QImage loadPictureFor(const QString& path, QSize atLeast);

// Loads a picture as the panel shows it: at the size the picture fit gives
// its own size (read from the header), in pixels of a screen of
// `pixelRatio`. A JPEG is decoded at the smallest DCT scale that covers that
// size, and any picture larger than it is then smoothed down to it, every
// pixel counting; only that small picture is kept. `fitted` gets the fitted
// size. Fails as loadPicture does.
QImage loadFittedPicture(const QString& path, qreal pixelRatio = 1, QSize* fitted = nullptr);

// The picture's own size in pixels, read from the file's header without
// decoding it. A header that cannot be read fails as loadPicture does.
QSize pictureFileSize(const QString& path);
// The extension of the file's name: the text after its last ".", without it.
QString pictureExtension(const QString& path);

// Decodes picture data as loadPicture does, the extension choosing the
// decoder; `device` is opened for reading when it is not open yet. The
// decoder's messages name `fileName` when it is given.
QImage decodePicture(QIODevice& device, const QString& extension, const QString& fileName = QString(),
                     qint64 maxDecodedBytes = MaxDecodedBytes, QSize atLeast = QSize());

} // namespace kvilbro
