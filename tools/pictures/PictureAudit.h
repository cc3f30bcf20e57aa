#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

namespace kvilbro {

class Database;

namespace pictureaudit {

// One number's row as far as its picture goes.
struct NumberRow {
    qint64 id = 0;
    QString area;    // `Stamoplysning`, the area's description
    QVariant number; // `Nummer` as stored: an integer, or null
    QString type;    // blank for none
    // `Billede` as text; exact only when it is stored as text (or null).
    QString picture;
    enum class Storage { Text, Blob, NotUtf8, Number };
    Storage storage = Storage::Text;
    QByteArray bytes; // as stored, when not as text
};

// Every number, in the numbers' own order. The numbers file is opened for
// reading only, so this works while the program writes the collection; a
// missing, damaged or foreign file throws Error.
QList<NumberRow> readNumbers(const QString& folder);

// The same rows through the store's connection (for a change in its transaction).
QList<NumberRow> readNumbers(Database& db);

struct SharedFile {
    QString file;
    QList<NumberRow> numbers;
};

struct Findings {
    // The path names no ordinary file.
    QList<NumberRow> missing;
    // As `missing`, but the path is as long as the field: most likely it was
    // cut to fit. Not repeated in `missing`.
    QList<NumberRow> probablyCut;
    // Files named by more than one number, each file once, sorted by path.
    QList<SharedFile> shared;
};

// Relative paths name files in `folder`, as they do for the program started there.
Findings examine(const QList<NumberRow>& rows, const QString& folder);

// The names of `names`, files in `pictureFolder`, that no number's path
// names: compared as files, so a link or another spelling of the path counts.
QStringList unattached(const QStringList& names, const QString& pictureFolder, const QList<NumberRow>& rows,
                       const QString& folder);

// The names of `names` the mass import reads no number from.
QStringList unreadableNames(const QStringList& names);

struct Relink {
    NumberRow row;
    QString newPath;
};

struct RelinkPlan {
    QList<Relink> rewrites;
    // The new path would not be stored as it is (longer than the field).
    QList<Relink> refused;
    // Paths in the folder, as their bytes go, that are not stored as text:
    // left as they are, byte for byte.
    QList<NumberRow> notText;
    // Rewrites whose new path names an existing file.
    qsizetype existing = 0;

    // Not one new path names a file: most likely NEW is not the right folder.
    bool namesNoFile() const { return !rewrites.isEmpty() && existing == 0; }
};

// `path` moved from the folder `oldFolder` (its own folder or one above it,
// letter case counts) to `newFolder`, or nothing when it is not in that folder.
// Either folder may end in a separator. Backslashes separate too in a Windows
// path (a drive letter or backslashes), and become "/" when `newFolder` is
// not one.
std::optional<QString> relinkedPath(const QString& path, const QString& oldFolder, const QString& newFolder);

// The paths in `oldFolder`, moved to `newFolder`; relative new paths name
// files in `folder`, the collection's.
RelinkPlan planRelink(const QList<NumberRow>& rows, const QString& oldFolder, const QString& newFolder,
                      const QString& folder);

// Applies the plan's rewrites in one transaction of the store's connection,
// made from the rows as they are once the transaction has begun; when the
// plan names no file, only with `force`. Throws Error; then nothing was changed.
RelinkPlan relink(Database& db, const QString& oldFolder, const QString& newFolder, bool force);

// `Billede`'s width in characters.
int pictureWidth();

} // namespace pictureaudit

} // namespace kvilbro
