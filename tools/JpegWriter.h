#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace kvilbro::tablefiles {

struct JpegOptions {
    int quality = 85;
    bool progressive = false;
    bool grayscale = false;
    bool cmyk = false; // Adobe-style inverted CMYK, as print shops write them
};

// Encodes `image` as a JPEG file with libjpeg. Throws Error.
QByteArray encodeJpeg(const QImage& image, const JpegOptions& options = {});
void writeJpeg(const QImage& image, const QString& path, const JpegOptions& options = {});

} // namespace kvilbro::tablefiles
