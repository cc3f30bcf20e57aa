#pragma once

#include <QString>
#include <QtGlobal>

namespace kvilbro {

// A picture whose decoding would take more memory than this is refused from
// its header, before anything is allocated for it: the decoded picture at 4
// bytes a pixel, and what the decoder must hold besides (see decodeJpeg).
inline constexpr qint64 MaxDecodedBytes = qint64(512) << 20;

// Throws the picture error for a picture of `width` x `height` pixels when it
// needs more than `maxBytes` decoded. `fileName` may be empty.
void checkDecodedSize(qint64 width, qint64 height, qint64 maxBytes, const QString& fileName);
// Throws that error unconditionally.
[[noreturn]] void throwTooLarge(qint64 width, qint64 height, qint64 maxBytes, const QString& fileName);

} // namespace kvilbro
