#pragma once

#include <QString>
#include <QtGlobal>

namespace kvilbro {

// A picture that would take more than this to hold decoded (4 bytes a
// pixel) is refused before anything is allocated for it.
inline constexpr qint64 MaxDecodedBytes = qint64(1) << 30;

// Throws the picture error for a picture of `width` x `height` pixels when it
// needs more than `maxBytes` decoded. `fileName` may be empty.
void checkDecodedSize(qint64 width, qint64 height, qint64 maxBytes, const QString& fileName);
// Throws that error unconditionally.
[[noreturn]] void throwTooLarge(qint64 width, qint64 height, qint64 maxBytes, const QString& fileName);

} // namespace kvilbro
