#include "StoreMessages.h"

#include <sqlite3.h>

namespace kvilbro::storemessages {

QString missingFile(const QString& file, const QString& folder)
{
    return QStringLiteral("Tabelfilen %1 findes ikke i mappen %2.").arg(file, folder);
}

QString notAFile(const QString& path)
{
    return QStringLiteral("Tabelfilen %1 er ikke en fil.").arg(path);
}

QString paradoxTable(const QString& path)
{
    return QStringLiteral("Tabelfilen %1 er en Paradox-tabel fra en gammel samling. Flyt samlingen over med "
                          "kommandoen: kvilbro-tables import-paradox GAMMEL_MAPPE NY_MAPPE")
        .arg(path);
}

QString unfinishedImport(const QString& folder)
{
    return QStringLiteral("Samlingen i mappen %1 er kun delvis erstattet, fordi en import blev afbrudt. Kør importen "
                          "igen med kommandoen: kvilbro-tables import-paradox GAMMEL_MAPPE %1 --replace")
        .arg(folder);
}

QString noTable(const QString& file, const QString& table)
{
    return QStringLiteral("Tabelfilen %1 indeholder ikke tabellen %2.").arg(file, table);
}

QString missingField(const QString& file, const QString& field)
{
    return QStringLiteral("Tabelfilen %1 mangler feltet '%2'.").arg(file, field);
}

QString wrongFieldType(const QString& field, const QString& file, const QString& type)
{
    return QStringLiteral("Feltet '%1' i tabelfilen %2 har en forkert type (%3).")
        .arg(field, file, type.isEmpty() ? QStringLiteral("ingen") : type);
}

QString noIndexForOrder(const QString& file, const QString& order)
{
    return QStringLiteral("Tabelfilen %1 har intet indeks til rækkefølgen %2, så den kan ikke åbnes.").arg(file, order);
}

QString engineFailure(int sqliteCode, const QString& file, const QString& detail)
{
    switch (sqliteCode & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("Tabelfilen %1 er låst af et andet program. Luk det program og prøv igen.").arg(file);
    case SQLITE_READONLY:
        return QStringLiteral("Tabelfilen %1 er skrivebeskyttet, så ændringen blev ikke gemt. "
                              "Kontrollér at filen og dens mappe må skrives.")
            .arg(file);
    case SQLITE_FULL:
        return QStringLiteral("Disken er fuld, så ændringen i tabelfilen %1 blev ikke gemt. "
                              "Gør plads på disken og prøv igen.")
            .arg(file);
    case SQLITE_CORRUPT:
        return QStringLiteral("Tabelfilen %1 er beskadiget (%2). Hent den fra en sikkerhedskopi.").arg(file, detail);
    case SQLITE_NOTADB:
        return QStringLiteral("Filen %1 er ikke en tabelfil fra dette program, eller den er beskadiget.").arg(file);
    case SQLITE_CANTOPEN:
        return QStringLiteral("Tabelfilen %1 kan ikke åbnes (%2).").arg(file, detail);
    case SQLITE_IOERR:
        return QStringLiteral("Læsning eller skrivning af tabelfilen %1 mislykkedes (%2).").arg(file, detail);
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("Adgang til tabelfilen %1 blev nægtet.").arg(file);
    case SQLITE_CONSTRAINT:
        return QStringLiteral("Nøgleovertrædelse i tabelfilen %1 (%2).").arg(file, detail);
    case SQLITE_NOMEM:
        return QStringLiteral("Der er ikke hukommelse nok til at arbejde med tabelfilen %1.").arg(file);
    default:
        break;
    }
    return QStringLiteral("Fejl i tabelmotoren ved %1: %2").arg(file, detail);
}

QString fieldNotFound(const QString& table, const QString& field)
{
    return QStringLiteral("%1: Feltet '%2' findes ikke.").arg(table, field);
}

QString notEditing()
{
    return QStringLiteral("Rækken redigeres ikke, så dens felter kan ikke ændres.");
}

QString fieldCannotChange(const QString& field)
{
    return QStringLiteral("Feltet '%1' kan ikke ændres.").arg(field);
}

QString invalidDate(const QString& text, const QString& field)
{
    return QStringLiteral("'%1' er ikke en gyldig dato for feltet '%2'").arg(text, field);
}

QString rowGone(const QString& file)
{
    return QStringLiteral("Rækken findes ikke længere i tabelfilen %1; den blev slettet i et andet vindue.").arg(file);
}

QString rowGoneNotStored(const QString& file)
{
    return QStringLiteral("Rækken findes ikke længere i tabelfilen %1; den blev slettet i et andet vindue, "
                          "så ændringen blev ikke gemt.")
        .arg(file);
}

QString noRowToDelete(const QString& file)
{
    return QStringLiteral("Der er ingen række at slette i tabelfilen %1.").arg(file);
}

QString locateNeedsTexts()
{
    return QStringLiteral("Søgningen skal have én tekst for hvert felt.");
}

QString collectionInUse(const QString& folder, const QString& holder)
{
    return QStringLiteral("Samlingen i mappen %1 er allerede åben i et andet Kvilbro-vindue eller i kvilbro-tables%2. "
                          "Luk det først; to programmer må ikke skrive i samlingen på én gang.")
        .arg(folder, holder.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(holder));
}

QString noRoomToOpen(const QString& file)
{
    return QStringLiteral("Disken er fuld, så tabelfilen %1 kan ikke åbnes. Gør plads på disken og prøv igen; "
                          "filen er ikke ændret.")
        .arg(file);
}

QString lockFailed(const QString& lockFile, const QString& reason)
{
    return QStringLiteral("Låsefilen %1 kan ikke bruges (%2), så samlingen åbnes ikke. Slet eller ret den, "
                          "når intet andet program bruger samlingen.")
        .arg(lockFile, reason);
}

QString readOnlyCollection(const QString& folder)
{
    return QStringLiteral("Samlingen i mappen %1 er skrivebeskyttet. Den åbnes kun til læsning: "
                          "du kan se og udskrive, men ikke ændre noget.")
        .arg(folder);
}

QString notWrittenReadOnly(const QString& folder)
{
    return QStringLiteral("Samlingen i mappen %1 er kun åben til læsning, så intet kan ændres.").arg(folder);
}

QString fileGone(const QString& file)
{
    return QStringLiteral("Tabelfilen %1 er slettet eller erstattet, mens programmet kørte, så ændringen blev ikke "
                          "gemt. Luk programmet og start det igen.")
        .arg(file);
}

QString rowNotStored(const QString& file)
{
    return QStringLiteral("Rækken blev ikke gemt i tabelfilen %1: tabelmotoren skrev ikke præcis én række.").arg(file);
}

QString noCurrentArea()
{
    return QStringLiteral("Der er intet samleområde at tilføje numre til. Opret først et samleområde.");
}

QString areaExists(const QString& nationalId, const QString& description)
{
    return QStringLiteral("Der findes allerede et samleområde med National ID '%1' og beskrivelsen '%2'. "
                          "To ens samleområder ville dele deres numre.")
        .arg(nationalId, description);
}

QString tooSlow(const QString& file)
{
    return QStringLiteral("Arbejdet med tabelfilen %1 tog for lang tid og blev afbrudt.").arg(file);
}

} // namespace kvilbro::storemessages
