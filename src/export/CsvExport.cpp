#include "CsvExport.h"

#include "ColumnCount.h"
#include "TableView.h"
#include "Windows1252File.h"

namespace kvilbro {

namespace {

QString titleSuffix(Condition condition)
{
    switch (condition) {
    case Condition::Used:
        return QStringLiteral(" brugte mærker");
    case Condition::Mint:
        return QStringLiteral(" postfriske mærker");
    case Condition::Unused:
        return QStringLiteral(" ubrugte mærker");
    }
    return {};
}

QString replacedNote(qsizetype replaced)
{
    return QStringLiteral("%1 tegn findes ikke i filens tegnsæt (Windows-1252) og er skrevet som \"?\".").arg(replaced);
}

} // namespace

CsvExport::CsvExport(TableView& areas, TableView& numbers, TableView& collector, Dialogs& dialogs,
                     std::function<bool()> shortfallsOnly)
    : areas_(areas), numbers_(numbers), collector_(collector), dialogs_(dialogs),
      shortfallsOnly_(std::move(shortfallsOnly))
{
    saveDialog_.defaultSuffix = QStringLiteral("csv");
    saveDialog_.initialName = QStringLiteral("*.csv");
    saveDialog_.filters = {QStringLiteral("Kommasepareret fil (CSV) (*.csv)")};
    // An existing file is replaced without a question.
    saveDialog_.confirmOverwrite = false;
}

void CsvExport::run(Condition condition)
{
    saveDialog_.caption = QStringLiteral("Save file as");
    const InputAnswer separator =
        dialogs_.input(QStringLiteral("Input Box"), QStringLiteral("Skilletegn i filen "), QStringLiteral(";"));
    if (!separator.ok)
        return;
    const InputAnswer columns =
        dialogs_.input(QStringLiteral("Input Box"), QStringLiteral("Antal kolonner i filen "), QStringLiteral("8"));
    if (!columns.ok)
        return;
    const bool shortfallsOnly = shortfallsOnly_ && shortfallsOnly_();

    const QString path = dialogs_.saveFile(saveDialog_);
    if (path.isEmpty())
        return;
    saveDialog_.initialName = path;
    if (numbers_.database().isCollectionFile(path)) {
        dialogs_.error(QStringLiteral("%1 er en af samlingens tabelfiler og kan ikke overskrives.").arg(path));
        return;
    }
    // A row left in edit is stored (or dropped) before anything is written, so
    // a refused row stops the command before the file is touched.
    numbers_.first();

    qsizetype replaced = 0;
    if (!write(path, condition, separator.text, readColumnCount(columns.text), shortfallsOnly, replaced)) {
        dialogs_.error(QStringLiteral("File I/O error."));
        return;
    }
    QString finished = QStringLiteral("Finish exporting to file");
    if (replaced > 0)
        finished += u'\n' + replacedNote(replaced);
    dialogs_.message(finished);
}

bool CsvExport::write(const QString& path, Condition condition, const QString& separator, int columns,
                      bool shortfallsOnly, qsizetype& replaced)
{
    Windows1252File file(path);
    if (!file.open())
        return false;
    for (const char16_t* field : {u"Brugernavn", u"Adresse", u"By", u"Telefon", u"Email"}) {
        file.write(collector_.asText(QStringView(field)));
        file.writeLineEnd();
    }
    file.write(u"--");
    file.writeLineEnd();
    file.write(areas_.asText(u"Beskrivelse") + titleSuffix(condition));
    file.writeLineEnd();
    const QString group = QStringLiteral("Nummer") + separator + QStringLiteral("Type") + separator +
                          QStringLiteral("Afkryds") + separator;
    for (int i = 0; i < columns; ++i) {
        file.write(group);
        if (file.failed())
            break; // a header of millions of groups stops at the first failure
    }
    file.writeLineEnd();

    // The rows are read in the view's order by one statement rather than by
    // moving the view (and the grid over it) row by row; the view then ends on
    // the last row, where a walk would have left it.
    const QList<int> fields{numbers_.fieldIndex(u"Nummer"), numbers_.fieldIndex(u"Type"),
                            numbers_.fieldIndex(markField(condition))};
    const qint64 lineBreakAt = qint64(columns) + 1;
    qint64 counter = 1;
    QString entry;
    numbers_.readRows(fields, [&](const QStringList& row) {
        if (file.failed() || (shortfallsOnly && !isShortfall(row[2])))
            return;
        entry.clear();
        entry += row[0];
        entry += separator;
        entry += row[1];
        entry += separator;
        entry += row[2];
        entry += separator;
        file.write(entry);
        if (++counter == lineBreakAt) {
            file.writeLineEnd();
            counter = 1;
        }
    });
    numbers_.last();
    const bool written = file.close();
    replaced = file.replaced();
    return written;
}

} // namespace kvilbro
