#include "TForm4.h"

#include "CommonPageHeader.h"
#include "TableView.h"

namespace kvilbro {

namespace {

using Align = ReportElement::Align;
using View = ReportElement::View;

void setUpPage(PageSetup& page)
{
    page.topMargin = 13.8;
    page.bottomMargin = 14.3;
    page.leftMargin = 10.0;
    page.rightMargin = 9.3;
    page.columns = 2;
    page.columnGap = 0;
    page.pageFrame = Sides{};
    page.baseFont = CommonPageHeader::baseFont(CommonPageHeader::Variant::AllInformation);
    page.title = QString(); // the preview is captioned "Print Preview"
    // Every page, unless the collector sets a range in the printer setup: a
    // range of page 1 alone would print one page of a longer list without a word.
    page.firstPage = 0;
    page.lastPage = 0;
    page.printIfEmpty = false;
}

ReportFont smallFont()
{
    return ReportFont{QStringLiteral("Arial"), 8, false};
}

ReportBand columnHeader()
{
    ReportBand band;
    band.kind = ReportBand::Kind::ColumnHeader;
    band.name = QStringLiteral("ColumnHeaderBand1");
    band.height = 6.2;
    band.frame = Sides{Side::Bottom, Side::Left, Side::Right};
    const ReportFont font = smallFont();
    band.elements = {
        ReportElement::label(QStringLiteral("NumberCaption"), QStringLiteral("Nr.")).centredOn(3.0, 1.3).withFont(font),
        ReportElement::label(QStringLiteral("TypeCaption"), QStringLiteral("type")).startingAt(9.4, 1.3).withFont(font),
        ReportElement::label(QStringLiteral("MintCaption"), QStringLiteral("***"))
            .box(28.8, 32.4, 1.3, Align::Center)
            .withFont(font),
        ReportElement::label(QStringLiteral("UnusedCaption"), QStringLiteral("*"))
            .box(34.1, 37.7, 1.3, Align::Center)
            .withFont(font),
        ReportElement::label(QStringLiteral("UsedCaption"), QStringLiteral("O"))
            .box(39.2, 42.8, 1.3, Align::Center)
            .withFont(font),
    };
    return band;
}

ReportBand detail()
{
    ReportBand band;
    band.kind = ReportBand::Kind::Detail;
    band.name = QStringLiteral("DetailBand1");
    band.height = 7.1;
    // No bottom line: the next row's top line closes a row, and the last row of a column stays open.
    band.frame = Sides{Side::Top, Side::Left, Side::Right};
    const ReportFont font = smallFont();
    auto field = [&](const QString& name, const QString& f) {
        return ReportElement::dataField(name, View::Numbers, f).withFont(font);
    };
    band.elements = {
        field(QStringLiteral("Number"), QStringLiteral("Nummer")).box(1.1, 7.7, 0.0, Align::Left),
        field(QStringLiteral("Type"), QStringLiteral("Type")).startingAt(9.4, 0.0),
        field(QStringLiteral("Mint"), QStringLiteral("***")).box(28.3, 32.1, 0.0, Align::Center),
        field(QStringLiteral("Unused"), QStringLiteral("*")).box(34.1, 37.7, 0.0, Align::Center),
        field(QStringLiteral("Used"), QStringLiteral("O")).box(39.2, 42.8, 0.0, Align::Center),
        // One line as wide as the remark, never broken: every row keeps its height.
        field(QStringLiteral("Remark"), QStringLiteral("Bemærkning")).startingAt(9.6, 3.7),
    };
    return band;
}

} // namespace

TForm4::TForm4(Database& db, Dialogs& dialogs)
    : report_(std::make_unique<Report>(db, CollectionWindow::AllInformationList, dialogs))
{
    report_->setObjectName(QStringLiteral("QuickRep1"));
    setUpPage(report_->pageSetup());
    report_->definition().bands = {
        CommonPageHeader::make(CommonPageHeader::Variant::AllInformation, QStringLiteral("TitleBand1")), columnHeader(),
        detail()};
}

TForm4::~TForm4() = default;

bool TForm4::prepare(const AreaKey& area)
{
    report_->areaView().first();
    return report_->locateArea(area);
}

void TForm4::run(const AreaKey& area)
{
    report_->closePreview();
    if (prepare(area))
        report_->previewModal();
}

} // namespace kvilbro
