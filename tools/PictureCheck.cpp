#include "PictureCheck.h"

#include "CollectionFolder.h"
#include "Database.h"
#include "Error.h"
#include "FieldRules.h"
#include "PictureAudit.h"
#include "PictureFileList.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

namespace kvilbro {

const char* const PicturesUsage =
    R"(  pictures [DIR] [--folder F]
                    list numbers whose picture file is missing, picture paths
                    probably cut at 75 characters and files named by several
                    numbers; with --folder also the picture files in F that no
                    number's picture path names, and the names in F the mass
                    import reads no number from. Only reads: works while
                    Kvilbro runs
  pictures relink OLD NEW [DIR] [--dry-run] [--force]
                    move every picture path in the folder OLD (or below it) to
                    the folder NEW instead, in one change; a path that would
                    grow past 75 characters, or that is not stored as text, is
                    listed and left as it was. Says how many new paths name an
                    existing file, and changes nothing when none does, unless
                    --force is given. --dry-run only shows what would change
)";

namespace {

using pictureaudit::NumberRow;

using toolsupport::shown;

QString numberText(const NumberRow& row)
{
    const QString area = row.area.isEmpty() ? QStringLiteral("(no area)") : row.area;
    QString number = row.number.isNull() ? QStringLiteral("(no number)") : row.number.toString();
    if (!row.type.isEmpty())
        number += u' ' + row.type;
    return shown(area + QStringLiteral(", ") + number);
}

QString storageText(NumberRow::Storage storage)
{
    switch (storage) {
    case NumberRow::Storage::Blob:
        return QStringLiteral("a blob");
    case NumberRow::Storage::NotUtf8:
        return QStringLiteral("not UTF-8");
    case NumberRow::Storage::Number:
        return QStringLiteral("a number");
    case NumberRow::Storage::Text:
        break;
    }
    return QStringLiteral("text");
}

void heading(QTextStream& out, const QString& title, qsizetype count)
{
    out << title << " (" << count << "):\n";
}

void listNumbers(QTextStream& out, const QString& title, const QList<NumberRow>& rows)
{
    heading(out, title, rows.size());
    for (const NumberRow& row : rows)
        out << "  " << numberText(row) << ": " << shown(row.picture) << "\n";
}

int usageError(QTextStream& err, const QString& text)
{
    err << text << "\nUsage:\n" << PicturesUsage;
    return 1;
}

int check(const QString& dir, const QString& folder, bool withFolder, QTextStream& out)
{
    QStringList names;
    if (withFolder) {
        // Checked before anything is read: an unreadable folder would list nothing.
        const QFileInfo info(folder);
        if (!info.isDir())
            throw Error(QStringLiteral("The picture folder %1 does not exist.").arg(QDir::toNativeSeparators(folder)));
        if (!info.isReadable() || !info.isExecutable())
            throw Error(QStringLiteral("The picture folder %1 cannot be read.").arg(QDir::toNativeSeparators(folder)));
        names = PictureFileList::pictureNames(folder);
    }
    const QList<NumberRow> rows = pictureaudit::readNumbers(dir);
    const pictureaudit::Findings findings = pictureaudit::examine(rows, dir);
    const int width = pictureaudit::pictureWidth();

    listNumbers(out, QStringLiteral("Numbers whose picture file is missing"), findings.missing);
    listNumbers(out,
                QStringLiteral("Numbers whose picture path is exactly %1 characters long and names no file: "
                               "probably cut at %1 characters")
                    .arg(width),
                findings.probablyCut);
    heading(out, QStringLiteral("Picture files named by several numbers"), findings.shared.size());
    for (const pictureaudit::SharedFile& shared : findings.shared) {
        out << "  " << shown(QDir::toNativeSeparators(shared.file)) << " (" << shared.numbers.size() << " numbers)\n";
        for (const NumberRow& row : shared.numbers)
            out << "    " << numberText(row) << ": " << shown(row.picture) << "\n";
    }
    if (withFolder) {
        const QString shownFolder = shown(QDir::toNativeSeparators(folder));
        const QStringList left = pictureaudit::unattached(names, folder, rows, dir);
        heading(out, QStringLiteral("Picture files in %1 that no number's picture path names").arg(shownFolder),
                left.size());
        for (const QString& name : left)
            out << "  " << shown(name) << "\n";
        // The mass import goes by names alone; these it would attach to no number.
        const QStringList unreadable = pictureaudit::unreadableNames(names);
        heading(out, QStringLiteral("Picture file names in %1 the mass import reads no number from").arg(shownFolder),
                unreadable.size());
        for (const QString& name : unreadable)
            out << "  " << shown(name) << "\n";
        out << names.size() << " picture files in the folder, " << names.size() - left.size()
            << " of them named by a number.\n";
    }
    qsizetype withPicture = 0;
    for (const NumberRow& row : rows)
        withPicture += row.picture.isEmpty() ? 0 : 1;
    out << rows.size() << (rows.size() == 1 ? " number, " : " numbers, ") << withPicture
        << " of them with a picture path.\n";
    return 0;
}

struct RelinkOptions {
    bool dryRun = false;
    bool force = false;
};

int relink(const QString& oldFolder, const QString& newFolder, const QString& dir, RelinkOptions options,
           QTextStream& out, QTextStream& err)
{
    pictureaudit::RelinkPlan plan;
    if (options.dryRun) {
        plan = pictureaudit::planRelink(pictureaudit::readNumbers(dir), oldFolder, newFolder, dir);
    } else {
        toolsupport::requireCollection(dir);
        // The store's connection: its checks, and the collection's one-writer lock.
        Database db(dir);
        plan = pictureaudit::relink(db, oldFolder, newFolder, options.force);
    }
    if (plan.rewrites.isEmpty() && plan.refused.isEmpty() && plan.notText.isEmpty()) {
        out << "No picture path lies in the folder " << shown(oldFolder) << "; nothing was changed.\n";
        return 0;
    }
    const bool blocked = plan.namesNoFile() && !options.force;
    const bool written = !options.dryRun && !blocked;
    const int width = pictureaudit::pictureWidth();
    heading(out, written ? QStringLiteral("Rewritten") : QStringLiteral("Would be rewritten"), plan.rewrites.size());
    for (const pictureaudit::Relink& change : std::as_const(plan.rewrites))
        out << "  " << numberText(change.row) << ": " << shown(change.row.picture) << " -> " << shown(change.newPath)
            << "\n";
    heading(out, QStringLiteral("Refused, left unchanged: the new path would be longer than %1 characters").arg(width),
            plan.refused.size());
    for (const pictureaudit::Relink& change : std::as_const(plan.refused))
        out << "  " << numberText(change.row) << ": " << shown(change.row.picture) << " -> " << shown(change.newPath)
            << " (" << characterCount(change.newPath) << " characters)\n";
    heading(out, QStringLiteral("Left unchanged, not stored as text"), plan.notText.size());
    for (const NumberRow& row : std::as_const(plan.notText))
        out << "  " << numberText(row) << ": " << shown(row.picture) << " (" << storageText(row.storage) << ")\n";
    if (!plan.rewrites.isEmpty())
        out << plan.existing << " of the " << plan.rewrites.size() << " new paths name an existing file.\n";
    if (written)
        out << plan.rewrites.size() << " rewritten, " << plan.refused.size() << " refused, " << plan.notText.size()
            << " not text.\n";
    else
        out << (options.dryRun ? "Dry run, nothing" : "Nothing") << " was changed: " << plan.rewrites.size()
            << " would be rewritten, " << plan.refused.size() << " refused, " << plan.notText.size() << " not text.\n";
    if (blocked) {
        err << "None of the " << plan.rewrites.size() << " new paths names an existing file: is " << shown(newFolder)
            << " the folder the pictures are in now? "
            << (options.dryRun ? "The paths would not be rewritten" : "Nothing was changed")
            << "; give --force to rewrite them anyway.\n";
        return 1;
    }
    return plan.refused.isEmpty() && plan.notText.isEmpty() ? 0 : 1;
}

} // namespace

int runPicturesCommand(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const QCommandLineOption folder(QStringLiteral("folder"), QString(), QStringLiteral("F"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"));
    const QCommandLineOption force(QStringLiteral("force"));
    parser.addOptions({folder, dryRun, force});
    if (!parser.parse(QStringList{QStringLiteral("pictures")} + arguments))
        return usageError(err, parser.errorText());
    const QStringList args = parser.positionalArguments();
    const bool relinking = !args.isEmpty() && args[0] == QLatin1String("relink");
    try {
        int code = 1;
        if (relinking) {
            if (parser.isSet(folder))
                return usageError(err, QStringLiteral("--folder goes with 'pictures', not with 'pictures relink'."));
            if (args.size() < 3 || args.size() > 4)
                return usageError(err, QStringLiteral("'pictures relink' needs OLD and NEW, and at most a folder."));
            if (args[1].isEmpty())
                return usageError(err, QStringLiteral("OLD must not be empty: it would match every picture path."));
            code = relink(args[1], args[2], args.value(3), {parser.isSet(dryRun), parser.isSet(force)}, out, err);
        } else {
            if (parser.isSet(dryRun) || parser.isSet(force))
                return usageError(err,
                                  QStringLiteral("--%1 goes with 'pictures relink' only.")
                                      .arg(parser.isSet(dryRun) ? QStringLiteral("dry-run") : QStringLiteral("force")));
            if (args.size() > 1)
                return usageError(err, QStringLiteral("'pictures' takes at most one folder."));
            if (parser.isSet(folder) && parser.value(folder).isEmpty())
                return usageError(err, QStringLiteral("--folder needs a folder."));
            code = check(args.value(0), parser.value(folder), parser.isSet(folder), out);
        }
        out.flush();
        err.flush();
        return code;
    } catch (const Error& e) {
        out.flush();
        err << e.message() << "\n";
        err.flush();
        return 1;
    }
}

} // namespace kvilbro
