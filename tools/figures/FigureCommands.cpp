#include "FigureCommands.h"

#include "CollectionFigures.h"
#include "CollectionFolder.h"
#include "Database.h"
#include "Error.h"
#include "FigureFormats.h"
#include "OfferFile.h"
#include "OfferMatch.h"

#include <QCommandLineParser>

#include <functional>

namespace kvilbro::figures {

const char* const FiguresUsage =
    R"(  stats [DIR] [--format text|csv|json]
                    for each area, how many numbers it has and how many are
                    marked O, *** and *, with the share in per cent (rounded
                    down, so 100.0 means complete)
  wants [DIR] --condition used|mint|unused [--area-id ID] [--area-name NAME]
        [--format text|csv|markdown]
                    the numbers not marked in that condition as compact runs
                    (714-720, 722a, 725), per area, for a dealer
  match OFFER [DIR] --condition used|mint|unused [--area-id ID]
        [--area-name NAME] [--columns N[,V[,C]]] [--header]
                    the lines of an offer list (comma, semicolon or tab
                    separated; UTF-8 or Windows-1252) that fill an empty mark
                    in that condition. The number, variant and condition
                    columns come from its header (Michel-Nr., AFA, Nr; Type,
                    Variant; Stand, Condition, Erhaltung ...) or --columns.
                    The first line is the header when it names them and
                    holds no number; with --columns, only when --header says
                    so
                    stats, wants and match only read: they work while Kvilbro runs
)";

namespace {

struct Options {
    QCommandLineOption format{QStringLiteral("format"), QString(), QStringLiteral("F"), QStringLiteral("text")};
    QCommandLineOption condition{QStringLiteral("condition"), QString(), QStringLiteral("C")};
    QCommandLineOption areaId{QStringLiteral("area-id"), QString(), QStringLiteral("ID")};
    QCommandLineOption areaName{QStringLiteral("area-name"), QString(), QStringLiteral("NAME")};
    QCommandLineOption columns{QStringLiteral("columns"), QString(), QStringLiteral("N,V,C")};
    QCommandLineOption header{QStringLiteral("header")};
};

int usageError(QTextStream& err, const QString& text)
{
    err << toolsupport::shown(text, true) << "\nUsage:\n" << FiguresUsage;
    return 1;
}

// Parses `arguments` with the options of one command; false after telling why.
bool parse(QCommandLineParser& parser, const QStringList& arguments, const QList<QCommandLineOption>& options,
           qsizetype minPositional, qsizetype maxPositional, QTextStream& err)
{
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    parser.addOptions(options);
    if (!parser.parse(QStringList{QStringLiteral("kvilbro-tables")} + arguments)) {
        usageError(err, parser.errorText());
        return false;
    }
    const qsizetype count = parser.positionalArguments().size();
    if (count < minPositional || count > maxPositional) {
        usageError(err, minPositional > 0 && count < minPositional ? QStringLiteral("The offer file is missing.")
                                                                   : QStringLiteral("Too many arguments."));
        return false;
    }
    return true;
}

std::optional<Condition> conditionOf(const QCommandLineParser& parser, const Options& o, QTextStream& err)
{
    const QString word = parser.value(o.condition);
    if (word == QLatin1String("used"))
        return Condition::Used;
    if (word == QLatin1String("mint"))
        return Condition::Mint;
    if (word == QLatin1String("unused"))
        return Condition::Unused;
    usageError(err, word.isEmpty() ? QStringLiteral("--condition is needed: used, mint or unused.")
                                   : QStringLiteral("--condition is used, mint or unused, not '%1'.").arg(word));
    return std::nullopt;
}

AreaChoice areaChoiceOf(const QCommandLineParser& parser, const Options& o)
{
    AreaChoice choice;
    if (parser.isSet(o.areaId))
        choice.id = parser.value(o.areaId);
    if (parser.isSet(o.areaName))
        choice.name = parser.value(o.areaName);
    return choice;
}

bool formatAllowed(const QCommandLineParser& parser, const Options& o, const QStringList& formats, QTextStream& err)
{
    if (formats.contains(parser.value(o.format)))
        return true;
    usageError(
        err,
        QStringLiteral("--format is %1, not '%2'.").arg(formats.join(QStringLiteral(", ")), parser.value(o.format)));
    return false;
}

// Runs `report` on the collection in `dir`, opened for reading only, and
// turns a failure into its message.
int withCollection(const QString& dir, QTextStream& out, QTextStream& err,
                   const std::function<QString(Database&)>& report)
{
    try {
        toolsupport::requireCollection(dir);
        Database db(dir, Database::Access::ReadOnly);
        QString text;
        {
            // Every statement of the report reads the same moment.
            const Snapshot snapshot(db);
            text = report(db);
        }
        out << text;
        out.flush();
        return 0;
    } catch (const Error& e) {
        out.flush();
        // Area names and file names in a message may hold anything.
        err << toolsupport::shown(e.message(), true) << "\n";
        return 1;
    }
}

} // namespace

int runStatsCommand(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    const Options o;
    QCommandLineParser parser;
    if (!parse(parser, arguments, {o.format}, 0, 1, err) ||
        !formatAllowed(parser, o, {QStringLiteral("text"), QStringLiteral("csv"), QStringLiteral("json")}, err))
        return 1;
    const QString format = parser.value(o.format);
    return withCollection(parser.positionalArguments().value(0), out, err, [&](Database& db) {
        const Tallies tallies = tally(db);
        return format == QLatin1String("csv")    ? statsCsv(tallies)
               : format == QLatin1String("json") ? statsJson(tallies)
                                                 : statsText(tallies);
    });
}

int runWantsCommand(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    const Options o;
    QCommandLineParser parser;
    if (!parse(parser, arguments, {o.format, o.condition, o.areaId, o.areaName}, 0, 1, err) ||
        !formatAllowed(parser, o, {QStringLiteral("text"), QStringLiteral("csv"), QStringLiteral("markdown")}, err))
        return 1;
    const auto condition = conditionOf(parser, o, err);
    if (!condition)
        return 1;
    const QString format = parser.value(o.format);
    const AreaChoice choice = areaChoiceOf(parser, o);
    return withCollection(parser.positionalArguments().value(0), out, err, [&](Database& db) {
        QList<AreaWants> wants = readWants(db, *condition, chooseAreas(readAreas(db), choice));
        // A row with neither number nor variant names no stamp a dealer could look for.
        qsizetype nameless = 0;
        for (AreaWants& area : wants) {
            nameless += area.entries.removeIf(
                [](const Entry& e) { return !e.number && e.numberText.isEmpty() && e.type.isEmpty(); });
        }
        wants.removeIf([](const AreaWants& area) { return area.entries.isEmpty(); });
        if (nameless > 0) {
            err << QStringLiteral("%1 shortfall(s) with neither number nor variant are left out: they name no stamp.")
                       .arg(nameless)
                << "\n";
        }
        if (wants.isEmpty()) {
            err << (choice.any() ? QStringLiteral("No chosen area has a shortfall in %1.")
                                 : QStringLiteral("No area has a shortfall in %1."))
                       .arg(conditionTitle(*condition))
                << "\n";
        }
        return format == QLatin1String("csv")        ? wantsCsv(wants)
               : wants.isEmpty()                     ? QString()
               : format == QLatin1String("markdown") ? wantsMarkdown(wants, *condition)
                                                     : wantsText(wants, *condition);
    });
}

int runMatchCommand(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    const Options o;
    QCommandLineParser parser;
    if (!parse(parser, arguments, {o.condition, o.areaId, o.areaName, o.columns, o.header}, 1, 2, err))
        return 1;
    const auto condition = conditionOf(parser, o, err);
    if (!condition)
        return 1;
    std::optional<offers::Columns> columns;
    if (parser.isSet(o.columns)) {
        columns = offers::parseColumns(parser.value(o.columns));
        if (!columns) {
            return usageError(err, QStringLiteral("--columns takes the number column, then optionally the variant "
                                                  "and the condition column, counted from 1: 1,2,3 or 2,,4; not '%1'.")
                                       .arg(parser.value(o.columns)));
        }
    }
    const auto headerLine = parser.isSet(o.header) ? offers::HeaderLine::First : offers::HeaderLine::Guess;
    const AreaChoice choice = areaChoiceOf(parser, o);
    const QStringList positional = parser.positionalArguments();
    return withCollection(positional.value(1), out, err, [&](Database& db) {
        const QList<Area> areas = chooseAreas(readAreas(db), choice);
        const offers::Offer offer = offers::readOfferFile(positional[0], columns, headerLine);
        return matchText(matchOffer(db, *condition, areas, offer), offer, *condition);
    });
}

} // namespace kvilbro::figures
