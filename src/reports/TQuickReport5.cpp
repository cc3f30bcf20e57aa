#include "TQuickReport5.h"

#include "CommonPageHeader.h"
#include "TableView.h"

namespace kvilbro {

namespace {

using Align = ReportElement::Align;
using View = ReportElement::View;

const QString MarkCaption = QStringLiteral("MarkCaption");
const QString MarkField = QStringLiteral("MarkField");
const QString Detail = QStringLiteral("DetailBand1");

void setUpPage(PageSetup& page)
{
    page.topMargin = 13.8;
    page.bottomMargin = 14.3;
    page.leftMargin = 10.0;
    page.rightMargin = 9.3;
    page.columns = 5;
    page.columnGap = 0;
    page.pageFrame = AllSides;
    page.baseFont = CommonPageHeader::baseFont(CommonPageHeader::Variant::MarkType);
    page.title = QStringLiteral("Mancoliste");
    page.firstPage = 1;
    page.lastPage = 0;
    page.printIfEmpty = false;
}

ReportBand columnHeader()
{
    ReportBand band;
    band.kind = ReportBand::Kind::ColumnHeader;
    band.name = QStringLiteral("ColumnHeaderBand1");
    band.height = 4.1;
    band.frame = Sides{Side::Bottom, Side::Left, Side::Right};
    band.elements = {
        ReportElement::label(QStringLiteral("NumberCaption"), QStringLiteral("Nr."))
            .startingAt(1.6, 0)
            .withFont(9, true),
        ReportElement::label(QStringLiteral("TypeCaption"), QStringLiteral("type"))
            .startingAt(10.6, 0)
            .withFont(9, true),
        ReportElement::label(MarkCaption, QStringLiteral("O")).centredOn(35.2, 0).withFont(9, true),
    };
    return band;
}

ReportBand detail()
{
    ReportBand band;
    band.kind = ReportBand::Kind::Detail;
    band.name = Detail;
    band.height = 3.6;
    band.frame = Sides{Side::Bottom, Side::Left, Side::Right};
    band.elements = {
        ReportElement::dataField(QStringLiteral("Number"), View::Numbers, QStringLiteral("Nummer"))
            .box(0.0, 8.8, 0.0, Align::Right)
            .withFont(9),
        ReportElement::dataField(QStringLiteral("Type"), View::Numbers, QStringLiteral("Type"))
            .startingAt(10.6, 0)
            .withFont(9),
        ReportElement::dataField(MarkField, View::Numbers, QStringLiteral("O"))
            .box(32.9, 36.9, 0.0, Align::Center)
            .withFont(9)
            .framed(Side::Left),
    };
    return band;
}

} // namespace

TQuickReport5::TQuickReport5(Database& db, Dialogs& dialogs, std::function<bool()> shortfallsOnly)
    : report_(std::make_unique<Report>(db, CollectionWindow::MarkTypeList, dialogs)),
      shortfallsOnly_(std::move(shortfallsOnly))
{
    report_->setObjectName(QStringLiteral("TQuickReport5"));
    setUpPage(report_->pageSetup());
    report_->definition().bands = {CommonPageHeader::make(CommonPageHeader::Variant::MarkType), columnHeader(),
                                   detail()};
    report_->setBandBeforePrint(Detail, [this](ReportBand&, bool& print) { skipOwned(print); });
}

TQuickReport5::~TQuickReport5() = default;

QString TQuickReport5::subtitle(Condition condition)
{
    switch (condition) {
    case Condition::Used:
        return QStringLiteral("Stemplede mærker");
    case Condition::Mint:
        return QStringLiteral("Postfriske mærker");
    case Condition::Unused:
        return QStringLiteral("Ubrugte mærker");
    }
    return {};
}

bool TQuickReport5::prepare(Condition condition, const AreaKey& area)
{
    report_->areaView().first();
    report_->setCaption(MarkCaption, markField(condition));
    report_->setCaption(QStringLiteral("Subtitle"), subtitle(condition));
    report_->setDataField(MarkField, markField(condition));
    return report_->locateArea(area);
}

void TQuickReport5::run(Condition condition, const AreaKey& area)
{
    // A preview still open shows the list as it was bound; printing from it
    // after rebinding would print another list under the old screen.
    report_->closePreview();
    if (prepare(condition, area))
        report_->preview();
}

void TQuickReport5::skipOwned(bool& print) const
{
    if (!shortfallsOnly_ || !shortfallsOnly_())
        return;
    const ReportElement* mark = report_->definition().element(MarkField);
    const QString field = mark ? mark->field : QString();
    if (field == QLatin1String("O") || field == QLatin1String("*") || field == QLatin1String("***"))
        print = isShortfall(report_->numberView().asText(field));
}

} // namespace kvilbro
