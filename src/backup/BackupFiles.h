#pragma once

// What the parts of a backup share: its file names, and reading and checking
// its files, which may have been changed by anyone.

#include "CollectionBackup.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <memory>

struct sqlite3;

namespace kvilbro {
class Error;
}

namespace kvilbro::backup::detail {

inline const QString Manifest = QStringLiteral("MANIFEST");
inline const QString PictureList = QStringLiteral("pictures.txt");
inline const QString PictureFolder = QStringLiteral("pictures");
// Which collection a backup came from, who made it, whether it holds pictures.
inline const QString Origin = QStringLiteral("ORIGIN");
// The longest line of a backup's lists: a list of many pictures is long, no line is.
constexpr qint64 MaxLine = 8192;

struct CloseDb {
    void operator()(sqlite3* db) const;
};
using Db = std::unique_ptr<sqlite3, CloseDb>;

QString native(const QString& path);
Error failure(const QString& text);
QString sqliteError(sqlite3* db);
// Opens a table file on a connection on which nothing in the file may run:
// no trigger, no view, no change to the schema by writing.
Db open(const QString& path, int flags);
// Opens a finished copy without ever writing beside it.
Db openCopy(const QString& path);
void exec(sqlite3* db, const QString& sql, const QString& file);
// Opens a file of a backup to read: an ordinary file only, never through a
// link, and never waiting, as opening a FIFO would. Throws Error.
std::unique_ptr<QFile> openToRead(const QString& path);

// A list read line by line, each line at most MaxLine bytes; the last counts
// without its line feed.
class LineReader {
public:
    LineReader(QFile& file, const QString& name);
    // The next line without its line feed; false at the end or on a fault.
    bool next(QByteArray& line);
    // Empty unless a line was too long or the file could not be read.
    QString fault() const { return fault_; }
    int number() const { return number_; }

private:
    QFile& file_;
    QString name_;
    QByteArray buffer_;
    QString fault_;
    int number_ = 0;
};

QByteArray sha256(const QString& path);
// Copies an ordinary file into a new file. Throws Error.
void copyFile(const QString& from, const QString& to);
void syncFile(const QString& path);

// lstat's view: a link is never taken for what it points at.
bool isRealFolder(const QString& path);
bool isRealFile(const QString& path);

// A name with a line feed, tab or other control character would break the
// lists of the backup.
bool hasControlCharacter(const QString& path);

// Every file of the backup but the manifest, relative to its folder, sorted.
// `working` leaves out the lock file of a work folder.
QStringList filesOf(const QString& folder, bool working);

// The sum the MANIFEST gives `name`; empty when it names no such file.
QByteArray listedSum(const QString& folder, const QString& name);

// The faults of a backup: those of its pictures apart, as the tables can be
// restored without them.
struct Findings {
    QStringList tables;   // the tables, the MANIFEST, anything else
    QStringList pictures; // the picture copies and their list
    // Files under `name` (relative to the backup) count as pictures or not.
    void add(const QString& name, const QString& fault);
    QStringList all() const { return tables + pictures; }
};

// `working` skips the lock file of a work folder.
Findings check(const QString& folder, bool working);

} // namespace kvilbro::backup::detail
