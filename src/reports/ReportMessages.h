#pragma once

#include <QString>

namespace kvilbro::reportmessages {

// The texts the report engine gives the collector, in one place.
QString cannotWrite(const QString& path, const QString& reason = QString());
QString cannotOpen(const QString& path, const QString& reason);
QString notAReportFile(const QString& path);
QString reportFileOfAnotherVersion(const QString& path);
QString noSuchElement(const QString& name);
QString printerWillNotStart(const QString& printer);
QString printerStopped();
QString nothingToPrint(int firstPage, int pageCount);
QString pictureOfNumber(const QString& number, const QString& file, const QString& detail);

} // namespace kvilbro::reportmessages
