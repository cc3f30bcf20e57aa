#include "CollectionCommands.h"

#include "CountAnswer.h"
#include "Dialogs.h"
#include "Error.h"
#include "FieldRules.h"
#include "Progress.h"
#include "TableView.h"

#include <algorithm>
#include <limits>

namespace kvilbro {

namespace {

const QString NewAreaCaption = QStringLiteral("Opret nyt samleområde");

} // namespace

CollectionCommands::CollectionCommands(TableView& areas, TableView& numbers, Dialogs& dialogs, Progress& progress,
                                       std::function<void()> focusNumbers)
    : areas_(areas), numbers_(numbers), dialogs_(dialogs), progress_(progress), focusNumbers_(std::move(focusNumbers))
{
}

void CollectionCommands::newArea()
{
    const InputAnswer description = dialogs_.input(NewAreaCaption, QStringLiteral("Indtast beskrivelse"), QString());
    if (description.text.isEmpty())
        return;
    areas_.insert();
    areas_.setText(u"Beskrivelse", description.text);
    // Cancel here still stores the area, with a blank National ID.
    const InputAnswer id = dialogs_.input(NewAreaCaption, QStringLiteral("Indtast Nationalitets ID"), QString());
    areas_.setText(u"National ID", id.text);
    areas_.post();
}

void CollectionCommands::addNumbers()
{
    // The view is ordered by number, so its last row holds the highest; an empty area gives 0.
    numbers_.last();
    const qint64 lastNumber = numbers_.asInteger(u"Nummer");

    const InputAnswer answer =
        dialogs_.input(QStringLiteral("Hvor mange numre skal tilføjes ?"), QString(), QStringLiteral("0"));
    if (!CountAnswer::goesOn(answer.text))
        return;
    const int count = CountAnswer::count(answer.text);

    const int nummer = numbers_.fieldIndex(u"Nummer");

    progress_.setRange(0, count);
    progress_.setPosition(0);
    ProgressScope shown(progress_, QStringLiteral("Opretter nye numre, vent...."));
    for (qint64 i = 1; i <= count; ++i) {
        const qint64 number = lastNumber + i;
        // Refused before the row is begun, so no half-made row is left pending
        // to be stored without a number at the next move.
        if (number > std::numeric_limits<qint32>::max())
            throw Error(invalidIntegerForFieldMessage(QString::number(number), QStringLiteral("Nummer")),
                        Error::Kind::Engine);
        // The new row takes Land and Stamoplysning from the area exactly as
        // stored: written as text they could be cut or normalised, and the
        // row would belong to no area.
        numbers_.insert();
        numbers_.setInteger(nummer, number);
        numbers_.post();
        progress_.setPosition(int(i));
    }
}

void CollectionCommands::searchNumber()
{
    const InputAnswer answer = dialogs_.input(QStringLiteral("Input Box"), QStringLiteral("Indtast nummer"), QString());
    if (answer.ok) {
        // A text that is no whole number throws here, before the focus moves.
        if (!numbers_.locate({QStringLiteral("Nummer")}, {answer.text}, true))
            dialogs_.message(QStringLiteral("Nummer ") + answer.text + QStringLiteral(" findes ikke i tabellen"));
    }
    if (focusNumbers_)
        focusNumbers_();
}

bool CollectionCommands::confirmedTwice(const QString& question)
{
    if (!dialogs_.confirm(question))
        return false;
    const InputAnswer word =
        dialogs_.input(QStringLiteral("Bekræft sletning"), QStringLiteral("Skriv SLET"), QString());
    return word.text == QLatin1String("SLET");
}

void CollectionCommands::deleteArea()
{
    if (!confirmedTwice(QStringLiteral("Slet disse katalognumre ?")))
        return;

    numbers_.last();
    // An area whose highest number is below 0, or that holds more rows than
    // its highest number, keeps the gauge inside a valid range.
    const int maximum = int(std::max<qint64>(numbers_.asInteger(u"Nummer"), 0));
    progress_.setRange(0, maximum);
    progress_.setPosition(0);
    ProgressScope shown(progress_, QStringLiteral("Sletter samleområde vent...."));

    numbers_.first();
    for (qint64 k = 0; !numbers_.eof(); ++k) {
        numbers_.remove();
        progress_.setPosition(int(std::min<qint64>(k, maximum)));
    }
    // With no area at all the numbers shown were those without one; there is no area row to go.
    if (!areas_.isEmpty())
        areas_.remove();
}

void CollectionCommands::clearFields(const QString& question, const QStringList& fields)
{
    if (!confirmedTwice(question))
        return;
    QList<int> indexes;
    for (const QString& name : fields)
        indexes << numbers_.fieldIndex(name);
    numbers_.first();
    while (!numbers_.eof()) {
        numbers_.edit();
        for (int f : std::as_const(indexes))
            numbers_.setText(f, QString());
        numbers_.post();
        numbers_.next();
    }
}

void CollectionCommands::clearMarks()
{
    clearFields(QStringLiteral("Slet afkrydsning på disse katalognumre ?"),
                {QStringLiteral("O"), QStringLiteral("***"), QStringLiteral("*")});
}

void CollectionCommands::clearPictureReferences()
{
    clearFields(QStringLiteral("Slet billedhenvisning på disse katalognumre ?"), {QStringLiteral("Billede")});
}

} // namespace kvilbro
