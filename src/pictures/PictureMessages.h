#pragma once

#include <QString>

namespace kvilbro::picturemessages {

// The texts picture loading gives the collector, in one place. The decoders'
// own words (libjpeg's, a bitmap's "Premature end") and the system's reasons
// are passed on as they are.
QString unknownExtension(const QString& extension);
QString cannotOpen(const QString& file, const QString& reason);
QString tooLarge(const QString& file, qint64 width, qint64 height, qint64 maxBytes);
QString notEnoughMemory();
// The mass import's report file.
QString reportNotWritten(const QString& file, const QString& reason);
QString reportNotRead(const QString& file, const QString& reason);
// Pictures the mass import left out because `Billede` cannot hold their full path.
QString pathsTooLong(qsizetype count, int width);
QString folderNotOpened(const QString& folder);
// One picture whose full path `Billede` cannot hold.
QString pathTooLong(const QString& path, int width);
// A picture file that opened but could not be decoded; `reason` is the decoder's own words.
QString cannotRead(const QString& file, const QString& reason);

} // namespace kvilbro::picturemessages
