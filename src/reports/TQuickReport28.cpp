#include "TQuickReport28.h"

#include "CommonPageHeader.h"
#include "TableView.h"

#include <QFontMetricsF>

namespace kvilbro {

namespace {

using Align = ReportElement::Align;
using View = ReportElement::View;

// The cells are 9 points high: characters of about 8 points.
constexpr double CellPoints = 9.0;

void setUpPage(PageSetup& page)
{
    page.topMargin = 13.8;
    page.bottomMargin = 15.0;
    page.leftMargin = 10.0;
    page.rightMargin = 9.4;
    page.columns = 5;
    page.columnGap = 0;
    page.pageFrame = AllSides;
    page.baseFont = CommonPageHeader::baseFont(CommonPageHeader::Variant::Combined);
    page.title = QStringLiteral("Mancoliste");
    page.firstPage = 0;
    page.lastPage = 0;
    page.printIfEmpty = false;
}

ReportFont cellFont(bool bold)
{
    return ReportFont{QStringLiteral("Arial"), TQuickReport28::sizeForCellHeight(CellPoints, bold), bold};
}

ReportBand columnHeader()
{
    ReportBand band;
    band.kind = ReportBand::Kind::ColumnHeader;
    band.name = QStringLiteral("ColumnHeaderBand1");
    band.height = 4.3;
    band.frame = AllSides;
    const ReportFont font = cellFont(true);
    band.elements = {
        ReportElement::label(QStringLiteral("NumberCaption"), QStringLiteral("Nr."))
            .startingAt(2.6, 1.0)
            .withFont(font),
        ReportElement::label(QStringLiteral("TypeCaption"), QStringLiteral("type"))
            .startingAt(10.6, 1.0)
            .withFont(font),
        ReportElement::label(QStringLiteral("MintCaption"), QStringLiteral("***"))
            .box(25.5, 29.8, 1.0, Align::Center)
            .withFont(font),
        ReportElement::label(QStringLiteral("UnusedCaption"), QStringLiteral("*"))
            .box(29.7, 34.0, 1.0, Align::Center)
            .withFont(font),
        ReportElement::label(QStringLiteral("UsedCaption"), QStringLiteral("O"))
            .box(34.0, 38.3, 1.0, Align::Center)
            .withFont(font),
    };
    return band;
}

ReportBand detail()
{
    ReportBand band;
    band.kind = ReportBand::Kind::Detail;
    band.name = QStringLiteral("DetailBand1");
    band.height = 3.2;
    band.frame = Sides{Side::Bottom, Side::Left, Side::Right};
    const ReportFont font = cellFont(false);
    auto mark = [&](const QString& name, const QString& field, double x1, double x2) {
        return ReportElement::dataField(name, View::Numbers, field)
            .box(x1, x2, 0.0, Align::Center)
            .withFont(font)
            .framed(Side::Left);
    };
    band.elements = {
        ReportElement::dataField(QStringLiteral("Number"), View::Numbers, QStringLiteral("Nummer"))
            .box(0.0, 8.9, 0.0, Align::Right)
            .withFont(font),
        ReportElement::dataField(QStringLiteral("Type"), View::Numbers, QStringLiteral("Type"))
            .startingAt(10.6, 0.0)
            .withFont(font),
        mark(QStringLiteral("Mint"), QStringLiteral("***"), 25.5, 29.8),
        mark(QStringLiteral("Unused"), QStringLiteral("*"), 29.7, 34.0),
        mark(QStringLiteral("Used"), QStringLiteral("O"), 34.0, 38.3),
    };
    return band;
}

} // namespace

double TQuickReport28::sizeForCellHeight(double cellPoints, bool bold)
{
    // Measured at a large pixel size, so the ratio does not depend on any screen.
    QFont font = ReportFont{QStringLiteral("Arial"), 10, bold}.toQFont();
    font.setPixelSize(1000);
    const QFontMetricsF metrics(font);
    const double perEm = (metrics.ascent() + metrics.descent()) / 1000.0;
    return perEm > 0 ? cellPoints / perEm : cellPoints;
}

TQuickReport28::TQuickReport28(Database& db, Dialogs& dialogs)
    : report_(std::make_unique<Report>(db, CollectionWindow::CombinedList, dialogs))
{
    report_->setObjectName(QStringLiteral("TQuickReport28"));
    setUpPage(report_->pageSetup());
    report_->definition().bands = {CommonPageHeader::make(CommonPageHeader::Variant::Combined), columnHeader(),
                                   detail()};
}

TQuickReport28::~TQuickReport28() = default;

bool TQuickReport28::prepare(const AreaKey& area)
{
    report_->areaView().first();
    return report_->locateArea(area);
}

void TQuickReport28::run(const AreaKey& area)
{
    report_->closePreview();
    if (prepare(area))
        report_->preview();
}

} // namespace kvilbro
