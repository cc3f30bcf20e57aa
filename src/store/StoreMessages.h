#pragma once

#include <QString>

namespace kvilbro::storemessages {

// Every text the table engine gives the collector, in one place.
QString missingFile(const QString& file, const QString& folder);
QString notAFile(const QString& path);
QString paradoxTable(const QString& path);
QString unfinishedImport(const QString& folder);
QString noTable(const QString& file, const QString& table);
QString missingField(const QString& file, const QString& field);
QString wrongFieldType(const QString& field, const QString& file, const QString& type);
QString noIndexForOrder(const QString& file, const QString& order);
QString engineFailure(int sqliteCode, const QString& file, const QString& detail);
QString fieldNotFound(const QString& table, const QString& field);
QString notEditing();
QString fieldCannotChange(const QString& field);
QString invalidDate(const QString& text, const QString& field);
QString rowGone(const QString& file);
QString rowGoneNotStored(const QString& file);
QString noRowToDelete(const QString& file);
QString locateNeedsTexts();
// `holder`: who the lock file says holds it, when it says so.
QString collectionInUse(const QString& folder, const QString& holder = {});
QString noRoomToOpen(const QString& file);
QString lockFailed(const QString& lockFile, const QString& reason);
QString readOnlyCollection(const QString& folder);
QString notWrittenReadOnly(const QString& folder);
QString fileGone(const QString& file);
QString rowNotStored(const QString& file);
QString noCurrentArea();
QString areaExists(const QString& nationalId, const QString& description);
QString tooSlow(const QString& file);

} // namespace kvilbro::storemessages
