#include "PictureAudit.h"

#include "CollectionFolder.h"
#include "Database.h"
#include "Error.h"
#include "FieldRules.h"
#include "PictureFileName.h"
#include "StoreMessages.h"
#include "TableDef.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <QStringDecoder>
#include <QStringView>

#include <optional>
#include <utility>

namespace kvilbro::pictureaudit {

namespace {

const TableDef& numbersTable()
{
    return TableDef::get(TableId::Numbers);
}

const FieldDef& pictureField()
{
    const TableDef& def = numbersTable();
    return def.fields[def.fieldIndex(u"Billede")];
}

QString absoluteFolder(const QString& folder)
{
    return QDir(folder.isEmpty() ? QStringLiteral(".") : folder).absolutePath();
}

// One file under two names (relative and absolute, a link) is still one file.
QString fileKey(const QDir& base, const QString& path)
{
    const QString absolute = QDir::cleanPath(base.absoluteFilePath(path));
    const QString canonical = QFileInfo(absolute).canonicalFilePath();
    return canonical.isEmpty() ? absolute : canonical;
}

// In the index's order, so the numbers come as the program lists them.
QString selectSql()
{
    return QStringLiteral("SELECT \"Tæller\", \"Stamoplysning\", \"Nummer\", \"Type\", typeof(\"Billede\"), "
                          "CAST(\"Billede\" AS BLOB) FROM %1 "
                          "ORDER BY \"Land\", \"Stamoplysning\", \"Nummer\", \"Type\", \"Tæller\"")
        .arg(numbersTable().qualifiedName());
}

// A path as the old Windows program stored it: a drive letter or backslashes.
bool windowsStyle(QStringView path)
{
    return path.contains(u'\\') || (path.size() >= 2 && path[1] == u':' && path[0].isLetter());
}

bool isSeparator(QChar c, bool windows)
{
    return c == u'/' || (windows && c == u'\\');
}

// `folder` without separators at its end; a root ("/", "C:\") stays whole.
QString withoutEndSeparators(QString folder, bool windows)
{
    const auto isRoot = [windows](const QString& f) {
        return f.size() == 1 || (windows && f.size() == 3 && f[1] == u':');
    };
    while (!folder.isEmpty() && isSeparator(folder.back(), windows) && !isRoot(folder))
        folder.chop(1);
    return folder;
}

// The part of `path` below `folder`, or nothing when `folder` is not the
// path's folder or one above it. Letter case counts.
std::optional<QString> partBelow(const QString& path, const QString& folder, bool windows)
{
    const QString start = withoutEndSeparators(folder, windows);
    if (start.isEmpty() || !path.startsWith(start) || path.size() <= start.size())
        return std::nullopt;
    if (isSeparator(start.back(), windows))
        return path.mid(start.size()); // a root
    if (!isSeparator(path[start.size()], windows))
        return std::nullopt;
    return path.mid(start.size() + 1);
}

} // namespace

std::optional<QString> relinkedPath(const QString& path, const QString& oldFolder, const QString& newFolder)
{
    // A backslash in a path from the root of this system is part of a file name.
    const bool windows = windowsStyle(oldFolder) || (windowsStyle(path) && !path.startsWith(u'/'));
    std::optional<QString> part = partBelow(path, oldFolder, windows);
    if (!part || part->isEmpty())
        return std::nullopt;
    const bool newWindows = windowsStyle(newFolder);
    // A Windows path moved to a folder here takes this system's separators.
    if (windows && !newWindows)
        part->replace(u'\\', u'/');
    if (newFolder.isEmpty() || isSeparator(newFolder.back(), newWindows))
        return newFolder + *part;
    return newFolder + (newWindows ? u'\\' : u'/') + *part;
}

int pictureWidth()
{
    return pictureField().width;
}

QList<NumberRow> readNumbers(const QString& folder)
{
    toolsupport::requireCollection(folder);
    // Read-only and without the lock, so this works while the program writes.
    Database db(absoluteFolder(folder), Database::Access::ReadOnly);
    return readNumbers(db);
}

QList<NumberRow> readNumbers(Database& db)
{
    QList<NumberRow> rows;
    // The stored bytes of a text are in the file's own encoding.
    QStringConverter::Encoding encoding = QStringConverter::Utf8;
    {
        Statement pragma = db.prepare(TableId::Numbers, QStringLiteral("PRAGMA main.encoding"));
        const QString name = pragma.step() ? pragma.columnText(0) : QString();
        if (name == QLatin1String("UTF-16le"))
            encoding = QStringConverter::Utf16LE;
        else if (name == QLatin1String("UTF-16be"))
            encoding = QStringConverter::Utf16BE;
    }
    const auto encode = [encoding](const QString& text) {
        return QStringEncoder(encoding)(text).operator QByteArray();
    };
    Statement select = db.prepare(TableId::Numbers, selectSql());
    while (select.step()) {
        const QVariant number = select.isInteger(2) ? QVariant(select.columnInt(2))
                                : select.isNull(2)  ? QVariant()
                                                    : QVariant(select.columnText(2));
        NumberRow row;
        row.id = select.columnInt(0);
        row.area = select.columnText(1);
        row.number = number;
        row.type = select.columnText(3);
        // The stored bytes: a path that is not UTF-8 would not survive a round trip through QString.
        const QByteArray bytes = select.column(5).toByteArray();
        const QString type = select.columnText(4);
        QStringDecoder decoder(encoding, QStringConverter::Flag::ConvertInitialBom);
        row.picture = decoder(bytes);
        if (type == QLatin1String("blob"))
            row.storage = NumberRow::Storage::Blob;
        else if (type == QLatin1String("integer") || type == QLatin1String("real"))
            row.storage = NumberRow::Storage::Number;
        else if (decoder.hasError() || encode(row.picture) != bytes)
            row.storage = NumberRow::Storage::NotUtf8;
        if (row.storage != NumberRow::Storage::Text)
            row.bytes = bytes;
        rows.append(row);
    }
    return rows;
}

Findings examine(const QList<NumberRow>& rows, const QString& folder)
{
    const QDir base(absoluteFolder(folder));
    const int width = pictureWidth();
    Findings findings;
    QMap<QString, QList<NumberRow>> byFile;
    for (const NumberRow& row : rows) {
        if (row.picture.isEmpty())
            continue;
        if (!QFileInfo(QDir::cleanPath(base.absoluteFilePath(row.picture))).isFile())
            (characterCount(row.picture) == width ? findings.probablyCut : findings.missing) << row;
        byFile[fileKey(base, row.picture)] << row;
    }
    for (auto it = byFile.cbegin(); it != byFile.cend(); ++it) {
        if (it.value().size() > 1)
            findings.shared.append({it.key(), it.value()});
    }
    return findings;
}

QStringList unattached(const QStringList& names, const QString& pictureFolder, const QList<NumberRow>& rows,
                       const QString& folder)
{
    const QDir base(absoluteFolder(folder));
    QSet<QString> named;
    for (const NumberRow& row : rows) {
        if (!row.picture.isEmpty())
            named.insert(fileKey(base, row.picture));
    }
    const QDir pictures(absoluteFolder(pictureFolder));
    QStringList left;
    for (const QString& name : names) {
        if (!named.contains(fileKey(pictures, name)))
            left << name;
    }
    return left;
}

QStringList unreadableNames(const QStringList& names)
{
    QStringList unreadable;
    for (const QString& name : names) {
        if (!PictureFileName(name).canMatch())
            unreadable << name;
    }
    return unreadable;
}

RelinkPlan planRelink(const QList<NumberRow>& rows, const QString& oldFolder, const QString& newFolder,
                      const QString& folder)
{
    RelinkPlan plan;
    if (oldFolder.isEmpty())
        return plan;
    const FieldDef& field = pictureField();
    // Bytes as Latin-1 characters, so that the separators are found in any bytes.
    const QString oldBytes = QString::fromLatin1(oldFolder.toUtf8());
    for (const NumberRow& row : rows) {
        if (row.storage != NumberRow::Storage::Text) {
            if (relinkedPath(QString::fromLatin1(row.bytes), oldBytes, QString()))
                plan.notText << row;
            continue;
        }
        const std::optional<QString> newPath = relinkedPath(row.picture, oldFolder, newFolder);
        if (!newPath)
            continue;
        const Relink change{row, *newPath};
        // Never cut: a cut path names another file, or none.
        (storedAsIs(field, change.newPath) ? plan.rewrites : plan.refused) << change;
    }
    const QDir base(absoluteFolder(folder));
    for (const Relink& change : std::as_const(plan.rewrites))
        plan.existing += QFileInfo(QDir::cleanPath(base.absoluteFilePath(change.newPath))).isFile() ? 1 : 0;
    return plan;
}

RelinkPlan relink(Database& db, const QString& oldFolder, const QString& newFolder, bool force)
{
    db.requireWritable();
    db.requireUnchanged(TableId::Numbers);
    const QString file = QDir::toNativeSeparators(db.filePath(TableId::Numbers));
    const QString update = QStringLiteral("UPDATE %1 SET \"Billede\"=?1 WHERE \"Tæller\"=?2 AND "
                                          "typeof(\"Billede\")='text' AND \"Billede\"=?3")
                               .arg(numbersTable().qualifiedName());
    db.exec(TableId::Numbers, QStringLiteral("BEGIN IMMEDIATE"));
    try {
        const RelinkPlan plan = planRelink(readNumbers(db), oldFolder, newFolder, db.folder());
        if (plan.namesNoFile() && !force) {
            db.exec(TableId::Numbers, QStringLiteral("ROLLBACK"));
            return plan;
        }
        for (const Relink& change : plan.rewrites) {
            // A statement of its own each time: the borrowed one is reset when it goes.
            Statement statement = db.prepare(TableId::Numbers, update);
            statement.bind(1, storedValue(pictureField(), change.newPath));
            statement.bindInt(2, change.row.id);
            statement.bindText(3, change.row.picture);
            statement.run();
            if (db.changesOfLastStatement() != 1)
                throw Error(storemessages::rowNotStored(file), Error::Kind::Engine);
        }
        db.requireUnchanged(TableId::Numbers);
        db.exec(TableId::Numbers, QStringLiteral("COMMIT"));
        if (!plan.rewrites.isEmpty())
            db.noteChange(TableId::Numbers);
        return plan;
    } catch (...) {
        try {
            db.exec(TableId::Numbers, QStringLiteral("ROLLBACK"));
        } catch (const Error&) {
            // The first failure is the one to report; the engine rolls back a
            // transaction it could not finish on its own.
        }
        throw;
    }
}

} // namespace kvilbro::pictureaudit
