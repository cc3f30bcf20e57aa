#include "CollectionFolder.h"

#include "Error.h"
#include "FileCheck.h"
#include "StoreMessages.h"
#include "TableDef.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace kvilbro::toolsupport {

namespace {

// Embeddings, overrides, isolates and the direction marks: they reorder the
// text after them on screen, so a line could seem to say what it does not.
bool bidiControl(char16_t u)
{
    return (u >= 0x202a && u <= 0x202e) || (u >= 0x2066 && u <= 0x2069) || u == 0x200e || u == 0x200f || u == 0x061c;
}

} // namespace

void requireCollection(const QString& folder)
{
    const QString dir = QDir(folder.isEmpty() ? QStringLiteral(".") : folder).absolutePath();
    const QFileInfo dirInfo(dir);
    if (!dirInfo.exists())
        throw Error(QStringLiteral("The folder %1 does not exist.").arg(QDir::toNativeSeparators(dir)));
    if (!dirInfo.isDir())
        throw Error(QStringLiteral("%1 is not a folder.").arg(QDir::toNativeSeparators(dir)));
    QStringList names;
    bool any = false;
    for (const TableDef* def : TableDef::all()) {
        names << def->fileName;
        any = any || QFileInfo::exists(QDir(dir).filePath(def->fileName));
    }
    if (!any) {
        throw Error(QStringLiteral("There is no collection in %1: none of its table files (%2) is there.")
                        .arg(QDir::toNativeSeparators(dir), names.join(QStringLiteral(", "))));
    }
    // The store's own words for a numbers file it would not open either.
    const TableDef& numbers = TableDef::get(TableId::Numbers);
    const QFileInfo file(QDir(dir).filePath(numbers.fileName));
    if (!file.exists())
        throw Error(storemessages::missingFile(numbers.fileName, QDir::toNativeSeparators(dir)), Error::Kind::Engine);
    if (!file.isFile())
        throw Error(storemessages::notAFile(QDir::toNativeSeparators(file.absoluteFilePath())), Error::Kind::Engine);
    if (filecheck::isParadoxTable(file.absoluteFilePath()))
        throw Error(storemessages::paradoxTable(QDir::toNativeSeparators(file.absoluteFilePath())),
                    Error::Kind::Engine);
}

QString shown(const QString& text, bool keepLines)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        // C0, DEL and C1: a C1 byte (such as CSI) acts like ESC in many terminals.
        if (keepLines && (u == u'\n' || u == u'\t'))
            out += c;
        else if (u < 0x20 || (u >= 0x7f && u <= 0x9f))
            out += QStringLiteral("\\x%1").arg(int(u), 2, 16, QChar(u'0'));
        else if (bidiControl(u))
            out += QStringLiteral("\\u%1").arg(int(u), 4, 16, QChar(u'0'));
        else
            out += c;
    }
    return out;
}

} // namespace kvilbro::toolsupport
