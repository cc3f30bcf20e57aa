#include "BackupCommands.h"

#include "CollectionBackup.h"
#include "Error.h"
#include "TableFiles.h"

#include <QCommandLineParser>
#include <QDir>

namespace kvilbro::tablefiles {

bool isBackupCommand(const QString& command)
{
    return command == QLatin1String("backup") || command == QLatin1String("verify") ||
           command == QLatin1String("restore");
}

int runBackupCommand(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const QCommandLineOption to(QStringLiteral("to"), QString(), QStringLiteral("DEST"));
    const QCommandLineOption keep(QStringLiteral("keep"), QString(), QStringLiteral("N"));
    const QCommandLineOption withPictures(QStringLiteral("with-pictures"));
    const QCommandLineOption tablesOnly(QStringLiteral("tables-only"));
    parser.addOptions({to, keep, withPictures, tablesOnly});
    if (!parser.parse(QStringList{QStringLiteral("kvilbro-tables")} + arguments)) {
        err << parser.errorText() << "\n";
        return 1;
    }
    const QStringList args = parser.positionalArguments();
    const QString command = args.value(0);
    try {
        if (command == QLatin1String("backup") && args.size() <= 2) {
            const QString dir = args.value(1, QStringLiteral("."));
            bool ok = true;
            const int count = parser.isSet(keep) ? parser.value(keep).toInt(&ok) : backup::DefaultKeep;
            if (!ok || count < 1) {
                err << "--keep needs a number of backups, 1 or more.\n";
                return 1;
            }
            const QString destination = parser.isSet(to) ? parser.value(to) : backup::defaultDestination(dir);
            const backup::Made made =
                backup::make(dir, destination, count, parser.isSet(withPictures), QDateTime::currentDateTime());
            out << "Backed up and verified: " << QDir::toNativeSeparators(made.folder) << "\n";
            if (parser.isSet(withPictures))
                out << made.pictures << " picture files copied.\n";
            for (const QString& missing : made.missingPictures)
                out << "Missing picture, not copied: " << missing << "\n";
            for (const QString& removed : made.removed)
                out << "Removed the older backup " << QDir::toNativeSeparators(removed) << "\n";
            for (const QString& left : made.notRemoved)
                err << "The older backup " << QDir::toNativeSeparators(left) << " could not be removed.\n";
            return made.notRemoved.isEmpty() ? 0 : 1;
        }
        if (command == QLatin1String("verify") && args.size() == 2) {
            const QStringList faults = backup::verify(args[1]);
            for (const QString& fault : faults)
                err << fault << "\n";
            if (!faults.isEmpty())
                return 1;
            out << "The backup is sound.\n";
            return 0;
        }
        if (command == QLatin1String("restore") && args.size() == 3) {
            const backup::Restored restored = backup::restore(args[1], args[2], parser.isSet(tablesOnly));
            // As a new collection gets them: without, the program shows picture errors.
            try {
                writeStartFiles(args[2]);
            } catch (const Error& e) {
                err << "Restored into " << QDir::toNativeSeparators(QDir(args[2]).absolutePath())
                    << ", but the start files could not be written: " << e.message() << "\n";
                return 1;
            }
            out << "Restored into " << QDir::toNativeSeparators(QDir(args[2]).absolutePath()) << ".\n";
            if (parser.isSet(tablesOnly))
                out << "The tables alone: no pictures were restored, and picture paths are as they were.\n";
            if (restored.rewritten > 0)
                out << restored.rewritten << " picture paths now name the restored pictures.\n";
            for (const QString& kept : restored.kept)
                out << "Kept as it was (the restored path would be longer than 75 characters): " << kept << "\n";
            return 0;
        }
    } catch (const Error& e) {
        err << e.message() << "\n";
        return 1;
    }
    err << "Usage: kvilbro-tables backup [DIR] [--to DEST] [--keep N] [--with-pictures] | verify BACKUP | restore "
           "BACKUP DIR [--tables-only]\n";
    return 1;
}

} // namespace kvilbro::tablefiles
