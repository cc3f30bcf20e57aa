#include "ReportFixture.h"

#include <QFile>
#include <QTest>

namespace kvilbro::test {

ReportFixture::ReportFixture(int rows, const QString& area) : areaName(area)
{
    collection.setCollector(
        {"Jens Jensen", "Frimærkevej 1", "8000 Aarhus C", "12 34 56 78", "jens@example.dk", "2026-12-01"});
    collection.addArea(AreaId, areaName);
    // Rows go in before the views open: they see changes made through the program only.
    if (rows > 0) {
        collection.exec(QString("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                                "INSERT INTO stm2manc (Land, Stamoplysning, Nummer, Type) "
                                "SELECT '%2', '%3', i, CASE WHEN i % 4 = 0 THEN 'a' END FROM n")
                            .arg(rows)
                            .arg(AreaId, areaName));
    }
    db = std::make_unique<Database>(collection.path());
    report = std::make_unique<Report>(*db, CollectionWindow::MarkTypeList, dialogs);

    PageSetup& page = report->pageSetup();
    page.topMargin = 10;
    page.bottomMargin = 10;
    page.leftMargin = 10;
    page.rightMargin = 10;
    page.columns = 5;
    page.pageFrame = AllSides;
    page.baseFont = ReportFont{"Arial", 10, false};

    ReportBand header;
    header.kind = ReportBand::Kind::PageHeader;
    header.name = "PageHeaderBand1";
    header.height = 20;
    header.frame = AllSides;
    header.elements = {ReportElement::label("Head", "Head").startingAt(2, 2),
                       ReportElement::pageNumber("Page").startingAt(150, 2)};

    ReportBand columnHeader;
    columnHeader.kind = ReportBand::Kind::ColumnHeader;
    columnHeader.name = "ColumnHeaderBand1";
    columnHeader.height = 5;
    columnHeader.frame = AllSides;
    columnHeader.elements = {ReportElement::label("NumberCaption", "Nr.").startingAt(1, 0).withFont(9, true)};

    ReportBand detail;
    detail.kind = ReportBand::Kind::Detail;
    detail.name = "DetailBand1";
    detail.height = 10;
    detail.frame = AllSides;
    detail.elements = {
        ReportElement::dataField("Number", ReportElement::View::Numbers, "Nummer")
            .box(0, 10, 0, ReportElement::Align::Right)
            .withFont(9),
        ReportElement::dataField("Type", ReportElement::View::Numbers, "Type").startingAt(12, 0).withFont(9),
    };
    report->definition().bands = {header, columnHeader, detail};
    report->locateArea(areaName);
}

QList<QRectF> frames(const Page& page)
{
    QList<QRectF> out;
    for (const PageItem& item : page.items) {
        if (item.kind == PageItem::Frame)
            out.append(QRectF(item.x, item.y, item.w, item.h));
    }
    return out;
}

QList<PlacedText> texts(const Page& page)
{
    QList<PlacedText> out;
    for (const PageItem& item : page.items) {
        if (item.kind == PageItem::Text)
            out.append({page.textOf(item).toString(), item.textX, item.baseline});
    }
    return out;
}

QStringList textsOf(const Page& page)
{
    QStringList out;
    for (const PlacedText& t : texts(page))
        out << t.text;
    return out;
}

QStringList rowNumbers(const Page& page)
{
    QStringList out;
    for (const PlacedText& t : texts(page)) {
        bool isNumber = false;
        t.text.toInt(&isNumber);
        // The page number sits in the page header, above every row.
        if (isNumber && t.baseline > 30)
            out << t.text;
    }
    return out;
}

void compareWithGolden(const QString& dir, const QString& name, const QString& actual)
{
    const QString path = dir + "/" + name + ".txt";
    if (qEnvironmentVariableIsSet("KVILBRO_UPDATE_GOLDEN")) {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(actual.toUtf8());
        QSKIP("reference written");
    }
    QFile in(path);
    QVERIFY2(in.open(QIODevice::ReadOnly), qPrintable(path));
    const QStringList expected = QString::fromUtf8(in.readAll()).split('\n');
    const QStringList got = actual.split('\n');
    for (qsizetype i = 0; i < std::min(expected.size(), got.size()); ++i)
        QVERIFY2(
            got[i] == expected[i],
            qPrintable(
                QString("%1 line %2:\n  got      %3\n  expected %4").arg(name).arg(i + 1).arg(got[i], expected[i])));
    QCOMPARE(got.size(), expected.size());
}

} // namespace kvilbro::test
