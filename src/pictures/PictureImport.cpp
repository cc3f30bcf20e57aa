#include "PictureImport.h"

#include "Error.h"
#include "FieldRules.h"
#include "PictureFileName.h"
#include "PictureMessages.h"
#include "TableView.h"
#include "Windows1252File.h"

#include <QFile>
#include <QLocale>

namespace kvilbro {

namespace {

// Anything longer is no report of ours.
constexpr qint64 LargestReport = qint64(256) << 20;

const QStringList& advice()
{
    static const QStringList lines{
        QString(),
        QStringLiteral("Ovenstående billeder kunne ikke indlæses automatisk fordi filnavnet indeholder andet end tal,"),
        QStringLiteral("eller måske findes nummeret ikke i listen."),
        QString(),
        QStringLiteral("Du kan give filen et navn som passer til katalogummeret, eller ændre katalognummeret så det "
                       "passer"),
        QStringLiteral("til filnavnet. Hvis du f.eks. nr. 714 Ch i din liste, så skal filen hedde 714Ch.jpg."),
        QStringLiteral("Der må max være 10 tegn mellem nummeret og .jpg, altså: 714----------.jpg"),
        QStringLiteral("Når du har rettet ovennævnte data iflg. denne liste, kan du blot indlæse billederne igen"),
        QString(),
        QStringLiteral("Du kan også indlæse billederne ved at \"stå\" på det katalog nummer det drejer sig om, "
                       "højreklikke"),
        QStringLiteral("på musen, vælge \"Indlæs Billede\", finde billedet på harddisken og klikke på ok."),
        QString(),
        QStringLiteral("En tredie mulighed er at rette i feltet Billede. Du kan se navnene på de øvrige billeder og "
                       "skal skrive"),
        QStringLiteral("magen til bortset fra filnavnet sidst i listen."),
        QString(),
        QStringLiteral("Du kan kopiere et felt på følgende måde:"),
        QStringLiteral("Tryk <ENTER>, Tryk <CTRL+C>, flyt til nyt felt og Tryk <ENTER>, Tryk <CTRL+V>"),
        QString(),
        QStringLiteral("Du kan rette i et felt ved at trykke <F2>"),
    };
    return lines;
}

// The report file; a failure to write it stops the import at once.
class Report {
public:
    explicit Report(const QString& path) : path_(path), file_(path)
    {
        if (!file_.open())
            throw failure();
    }
    void line(const QString& text)
    {
        file_.write(text);
        file_.writeLineEnd();
        if (file_.failed())
            throw failure();
    }
    void close()
    {
        if (!file_.close())
            throw failure();
    }
    // After another failure: keep what was written so far.
    void closeQuietly() { file_.close(); }

private:
    Error failure() const
    {
        return Error(picturemessages::reportNotWritten(path_, file_.errorString()), Error::Kind::File);
    }

    QString path_;
    Windows1252File file_;
};

} // namespace

QString PictureImport::joined(const QString& folder, const QString& name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

QString PictureImport::reportPath(const QString& reportFolder)
{
    return joined(reportFolder, ReportName.toString());
}

PictureImportResult PictureImport::run(TableView& numbers, const QString& folder, const QStringList& names,
                                       const QString& reportFolder, QDate today)
{
    // A collection that cannot be changed gets no report claiming otherwise.
    numbers.database().requireWritable();
    const FieldDef& picture = numbers.table().fields[numbers.fieldIndex(u"Billede")];
    const QStringList keyFields{QStringLiteral("Nummer"), QStringLiteral("Type")};

    const QString path = reportPath(reportFolder);
    Report report(path);
    PictureImportResult result;
    try {
        report.line(QStringLiteral("Besked fra Kvilbro, Dato: ") + QLocale().toString(today, QLocale::ShortFormat));
        report.line(QString());
        report.line(QStringLiteral("Nedenstående oplysninger findes i filen ") + path);
        report.line(QString());
        report.line(QStringLiteral("Du kan udskrive listen ved at klikke på Udskriv-knappen herover"));
        report.line(QString());
        for (const QString& name : names) {
            const QString full = joined(folder, name);
            const PictureFileName parsed(name);
            if (!storedAsIs(picture, full)) {
                result.pathTooLong << full;
            } else if (parsed.canMatch() && numbers.locate(keyFields, {parsed.number, parsed.typePart}, false)) {
                numbers.edit();
                numbers.setText(u"Billede", full);
                numbers.post();
                ++result.attached;
                continue;
            }
            result.listed << full;
            report.line(full);
        }
        if (result.listed.isEmpty()) {
            report.line(QStringLiteral("Alle billeder blev indlæst korrekt !"));
        } else {
            for (const QString& line : advice())
                report.line(line);
        }
    } catch (...) {
        report.closeQuietly();
        throw;
    }
    report.close();
    return result;
}

QString PictureImport::readReport(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(picturemessages::reportNotRead(path, file.errorString()), Error::Kind::File);
    const QByteArray bytes = file.read(LargestReport);
    if (file.error() != QFileDevice::NoError)
        throw Error(picturemessages::reportNotRead(path, file.errorString()), Error::Kind::File);
    return Windows1252::decode(bytes);
}

} // namespace kvilbro
