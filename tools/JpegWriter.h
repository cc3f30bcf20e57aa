#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace kvilbro::tablefiles {

struct JpegOptions {
    int quality = 85;
    bool progressive = false;
    bool grayscale = false;
    bool cmyk = false;       // Adobe-style inverted CMYK, as print shops write them
    bool fullColour = false; // colour at full resolution (4:4:4), not halved
};

// Encodes `image` as a JPEG file with libjpeg. Throws Error.
QByteArray encodeJpeg(const QImage& image, const JpegOptions& options = {});
void writeJpeg(const QImage& image, const QString& path, const JpegOptions& options = {});

} // namespace kvilbro::tablefiles
