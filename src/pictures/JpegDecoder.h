#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

class QIODevice;

namespace kvilbro {

// Decodes the JPEG data read from `device` with libjpeg, into a
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
// `boxFor`, given the picture's own size from the header, gives the least
// size it is wanted at; the picture is then decoded at the smallest DCT scale
// (1/8, 1/4, 1/2 or full) whose size is at least that in both directions.
// Without it, or for an empty size, it is decoded at full size.
using BoxFor = std::function<QSize(QSize natural)>;
QImage decodeJpeg(QIODevice& device, const QString& fileName, qint64 maxDecodedBytes, const BoxFor& boxFor = {});

} // namespace kvilbro
