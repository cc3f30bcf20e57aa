#pragma once

#include <QImage>
#include <QString>

class QIODevice;

namespace kvilbro {

// Decodes the Windows bitmap read from `device` with Qt's bitmap reader. A
// picture above `maxDecodedBytes` (4 bytes a pixel) is refused from its
// header, before anything is allocated; a file that ends before its pixels
// do fails with "Premature end of bitmap file"; anything else the reader
// cannot read fails with its message. Throws Error (kind Picture).
QImage decodeBmp(QIODevice& device, const QString& fileName, qint64 maxDecodedBytes);

} // namespace kvilbro
