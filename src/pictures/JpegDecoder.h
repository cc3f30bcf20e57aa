#pragma once

#include <QImage>
#include <QSize>
#include <QString>

class QIODevice;

namespace kvilbro {

// Decodes the JPEG data read from `device` at full size with libjpeg, into a
// QImage::Format_RGB32 picture. A damaged file fails with libjpeg's own
// message; a file cut short fails with "Premature end of JPEG file" instead
// of giving a half-drawn picture (one cut only before its end marker still
// decodes), and data that stops inside a scan with libjpeg's "premature end
// of data segment". A picture whose decoding needs more than
// `maxDecodedBytes` is refused from its header, before anything is allocated:
// the picture at the scale chosen, and for a progressive file (or any of
// several scans) libjpeg's coefficients of the whole picture at full size,
// which it holds at any scale.
// Throws Error (kind Picture). `fileName` only goes into messages.
//
// `recycled` may hand over a picture that is no longer wanted: when it has
// the new picture's size, is RGB32 and is not shared, it is decoded into
// instead of allocating anew. Fresh memory of a large picture costs more to
// fault in than to decode into.
//
// With `atLeast` the picture is decoded at the smallest DCT scale (1/8, 1/4,
// 1/2 or full) whose size is at least that in both directions.
QImage decodeJpeg(QIODevice& device, const QString& fileName, qint64 maxDecodedBytes, QImage recycled = QImage(),
                  QSize atLeast = QSize());

} // namespace kvilbro
