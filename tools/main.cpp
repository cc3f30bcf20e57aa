// kvilbro-tables: creates, fills, checks and imports the three table files of a collection.
#include "BackupCommands.h"
#include "Error.h"
#include "FigureCommands.h"
#include "ParadoxDump.h"
#include "ParadoxError.h"
#include "ParadoxImport.h"
#include "PictureCheck.h"
#include "TableFiles.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

using namespace kvilbro;

namespace {

const char* const UsageStart = R"(Usage: kvilbro-tables COMMAND [DIR] [OPTIONS]

Creates, fills and checks the three table files of a Kvilbro collection
(stm2frim.db, stm2manc.DB, Bruger2.db). DIR is the collection's folder; the
current folder when left out.

Commands:
  create [DIR]      create the three empty tables; refuses to overwrite any
  collector [DIR] [--name N] [--address A] [--town T] [--phone P] [--email E] [--date YYYY-MM-DD]
                    write the collector's details (the single collector row);
                    only the fields given change, an empty value clears one
  demo [DIR] [--final-dir F]
                    create the tables with a sample collection; with --final-dir
                    the pictures are named as they will be once DIR is moved to F
  check [DIR]       check fields, indexes and the files' integrity
  import-paradox OLD_DIR [DIR] [--replace] [--codepage N] [--picture-root R]
                    bring an old collection's Paradox tables over into a new
                    collection in DIR; a report of all that did not fit as it
                    was goes to DIR/import-report.txt. --replace replaces a
                    collection in DIR; --codepage reads the texts in code page
                    N (437, 850, 865, 1252, ...) whatever the tables say;
                    --picture-root maps picture paths X:\... to R/..., or
                    with R as X:\OLD\=NEW those under X:\OLD\ to NEW/...
  paradox-dump FILE [--codepage N]
                    print a Paradox table's header, fields and rows
  backup [DIR] [--to DEST] [--keep N] [--with-pictures]
                    a verified copy of the three tables (and with
                    --with-pictures every picture a number names) in a new
                    folder kvilbro-backup-DATE-TIME in DEST (DIR/backups);
                    of the backups made there by backup of this
                    collection, only the newest N (10) are kept
  verify BACKUP     check a backup's sums, tables and pictures
  restore BACKUP DIR [--tables-only]
                    restore a backup into DIR, an empty or new folder;
                    --tables-only leaves the pictures out, and restores
                    the tables when only pictures are damaged
)";

// The lines of the picture and figure commands come from those commands.
const char* const UsageEnd = R"(  start-files [DIR] write the start, default and placeholder pictures and the
                    help page where they are missing; nothing is replaced
  --version         show the version
  --help            show this text

Exit code 0 on success, 1 on failure.
)";

QString usage()
{
    return QString::fromUtf8(UsageStart) + QString::fromUtf8(PicturesUsage) + QString::fromUtf8(figures::FiguresUsage) +
           QString::fromUtf8(UsageEnd);
}

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& err()
{
    static QTextStream stream(stderr);
    return stream;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // Commands with options of their own read their arguments themselves.
    if (const QStringList all = QCoreApplication::arguments(); all.size() > 1) {
        if (tablefiles::isBackupCommand(all[1]))
            return tablefiles::runBackupCommand(all.mid(1), out(), err());
        if (all[1] == QLatin1String("pictures"))
            return runPicturesCommand(all.mid(2), out(), err());
        if (all[1] == QLatin1String("stats"))
            return figures::runStatsCommand(all.mid(2), out(), err());
        if (all[1] == QLatin1String("wants"))
            return figures::runWantsCommand(all.mid(2), out(), err());
        if (all[1] == QLatin1String("match"))
            return figures::runMatchCommand(all.mid(2), out(), err());
    }
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption name(QStringLiteral("name"), QString(), QStringLiteral("N"));
    const QCommandLineOption address(QStringLiteral("address"), QString(), QStringLiteral("A"));
    const QCommandLineOption town(QStringLiteral("town"), QString(), QStringLiteral("T"));
    const QCommandLineOption phone(QStringLiteral("phone"), QString(), QStringLiteral("P"));
    const QCommandLineOption email(QStringLiteral("email"), QString(), QStringLiteral("E"));
    const QCommandLineOption date(QStringLiteral("date"), QString(), QStringLiteral("YYYY-MM-DD"));
    const QCommandLineOption finalDir(QStringLiteral("final-dir"), QString(), QStringLiteral("F"));
    const QCommandLineOption replace(QStringLiteral("replace"));
    const QCommandLineOption codePage(QStringLiteral("codepage"), QString(), QStringLiteral("N"));
    const QCommandLineOption pictureRoot(QStringLiteral("picture-root"), QString(), QStringLiteral("R"));
    parser.addOptions(
        {help, version, name, address, town, phone, email, date, finalDir, replace, codePage, pictureRoot});
    if (!parser.parse(app.arguments())) {
        err() << parser.errorText() << "\n" << usage();
        return 1;
    }
    const QStringList args = parser.positionalArguments();
    if (parser.isSet(help)) {
        out() << usage();
        return 0;
    }
    if (parser.isSet(version)) {
        out() << "kvilbro-tables " << KVILBRO_VERSION << "\n";
        return 0;
    }
    const bool import = !args.isEmpty() && args[0] == QLatin1String("import-paradox");
    if (args.isEmpty() || args.size() > (import ? 3 : 2)) {
        err() << usage();
        return 1;
    }
    const QString command = args[0];
    const QString dir = args.value(1);
    bool codePageOk = true;
    const int pageNumber = parser.isSet(codePage) ? parser.value(codePage).toInt(&codePageOk) : 0;
    if (!codePageOk || pageNumber < 0) {
        err() << "'" << parser.value(codePage) << "' is not a code page number.\n";
        return 1;
    }
    try {
        if (command == QLatin1String("create")) {
            tablefiles::create(dir);
            out() << "Created the three table files.\n";
        } else if (command == QLatin1String("collector")) {
            const auto given = [&](const QCommandLineOption& option) {
                return parser.isSet(option) ? std::optional<QString>(parser.value(option)) : std::nullopt;
            };
            tablefiles::writeCollector(
                dir, {given(name), given(address), given(town), given(phone), given(email), given(date)});
            out() << "Wrote the collector's details.\n";
        } else if (command == QLatin1String("demo")) {
            tablefiles::writeDemo(dir, parser.value(finalDir));
            out() << "Created a sample collection.\n";
        } else if (command == QLatin1String("start-files")) {
            tablefiles::writeStartFiles(dir);
            out() << "The start files are in place.\n";
        } else if (command == QLatin1String("check")) {
            const QStringList faults = tablefiles::check(dir);
            for (const QString& fault : faults)
                err() << fault << "\n";
            if (!faults.isEmpty())
                return 1;
            out() << "The three table files are sound.\n";
        } else if (import) {
            if (dir.isEmpty()) {
                err() << "import-paradox needs the folder of the old tables.\n" << usage();
                return 1;
            }
            tablefiles::importParadox(
                {dir, args.value(2), parser.isSet(replace), {pageNumber, parser.value(pictureRoot)}}, out());
            out() << "The collection was imported.\n";
        } else if (command == QLatin1String("paradox-dump")) {
            if (dir.isEmpty()) {
                err() << "paradox-dump needs a file.\n" << usage();
                return 1;
            }
            tablefiles::dumpParadox(dir, pageNumber, out());
        } else {
            err() << "Unknown command '" << command << "'.\n" << usage();
            return 1;
        }
    } catch (const Error& e) {
        err() << e.message() << "\n";
        return 1;
    } catch (const paradox::ParadoxError& e) {
        out().flush();
        err() << e.message() << "\n";
        return 1;
    }
    return 0;
}
