#include "TForm14.h"

#include "CommonPageHeader.h"
#include "Error.h"
#include "PictureFile.h"
#include "ReportMessages.h"
#include "TQuickReport5.h"
#include "TableView.h"

#include <QDir>
#include <QFileInfo>

namespace kvilbro {

namespace {

using Align = ReportElement::Align;
using View = ReportElement::View;

const QString MarkCaption = QStringLiteral("MarkCaption");
const QString MarkField = QStringLiteral("MarkField");
const QString Picture = QStringLiteral("Picture");
const QString Detail = QStringLiteral("DetailBand1");
constexpr int LargestSide = 100; // report pixels

void setUpPage(PageSetup& page)
{
    page.topMargin = 10.0;
    page.bottomMargin = 10.0;
    page.leftMargin = 10.0;
    page.rightMargin = 10.0;
    page.columns = 6;
    page.columnGap = 0;
    page.pageFrame = AllSides;
    page.baseFont = CommonPageHeader::baseFont(CommonPageHeader::Variant::Picture);
    page.title = QString(); // the preview is captioned "Print Preview"
    page.firstPage = 1;
    page.lastPage = 999;
    page.printIfEmpty = true;
    page.paperSource = PageSetup::PaperSource::Cassette;
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
    band.height = 5.1;
    band.frame = Sides{Side::Bottom, Side::Left, Side::Right};
    const ReportFont font = smallFont();
    band.elements = {
        ReportElement::label(QStringLiteral("NumberCaption"), QStringLiteral("Nr")).startingAt(2.4, 0.0).withFont(font),
        ReportElement::label(QStringLiteral("TypeCaption"), QStringLiteral("type")).startingAt(9.7, 0.0).withFont(font),
        ReportElement::label(MarkCaption, QStringLiteral("O")).startingAt(27.7, 0.0).withFont(font),
    };
    return band;
}

ReportBand detail()
{
    ReportBand band;
    band.kind = ReportBand::Kind::Detail;
    band.name = Detail;
    band.height = 17.2;
    band.frame = AllSides;
    const ReportFont font = smallFont();
    band.elements = {
        ReportElement::dataField(QStringLiteral("Number"), View::Numbers, QStringLiteral("Nummer"))
            .startingAt(1.0, 0.1)
            .withFont(font),
        ReportElement::dataField(QStringLiteral("Type"), View::Numbers, QStringLiteral("Type"))
            .startingAt(9.7, 0.0)
            .withFont(font),
        ReportElement::dataField(MarkField, View::Numbers, QStringLiteral("O"))
            .startingAt(27.7, 0.0)
            .withFont(font)
            .withoutBackground(),
        // The remark wraps in the box beside the picture; 13.0 mm is what the band leaves below 4.2.
        ReportElement::dataField(QStringLiteral("Remark"), View::Numbers, QStringLiteral("Bemærkning"))
            .box(0.3, 16.4, 4.2, Align::Left)
            .withHeight(13.0)
            .withFont(font)
            .wrapped(true),
        ReportElement::image(Picture, 17.6, 3.5, 0, 0),
    };
    return band;
}

// n / d to the nearest whole number, halves to the even neighbour.
int halfEven(qint64 n, qint64 d)
{
    qint64 q = n / d;
    const qint64 r = n % d;
    if (2 * r > d || (2 * r == d && q % 2 == 1))
        ++q;
    return int(q);
}

int scaledHalfEven(int percent, int side)
{
    return halfEven(qint64(percent) * side, 100);
}

} // namespace

QSize TForm14::pictureBox(QSize file)
{
    const int w = std::max(0, file.width());
    const int h = std::max(0, file.height());
    int p = 75;
    QSize box;
    do {
        box = QSize(scaledHalfEven(p, w), scaledHalfEven(p, h));
        --p;
    } while (box.width() > LargestSide || box.height() > LargestSide);
    if (p < 0 && (w > 0 || h > 0)) {
        // Past 10 050 pixels no whole percentage fits: the longer side gets the
        // whole box and the other its share, rather than a box of nothing.
        const int longer = std::max(w, h);
        const int share = std::max(1, halfEven(qint64(LargestSide) * std::min(w, h), longer));
        box = w >= h ? QSize(LargestSide, share) : QSize(share, LargestSide);
    }
    // A side that rounds to nothing still prints as one pixel.
    if (w > 0 && box.width() == 0)
        box.setWidth(1);
    if (h > 0 && box.height() == 0)
        box.setHeight(1);
    return box;
}

TForm14::TForm14(Database& db, Dialogs& dialogs, std::function<bool()> shortfallsOnly,
                 std::function<QString()> placeholder)
    : report_(std::make_unique<Report>(db, CollectionWindow::PictureList, dialogs)),
      shortfallsOnly_(std::move(shortfallsOnly)), placeholder_(std::move(placeholder))
{
    report_->setObjectName(QStringLiteral("QuickRep1"));
    setUpPage(report_->pageSetup());
    report_->definition().bands = {CommonPageHeader::make(CommonPageHeader::Variant::Picture), columnHeader(),
                                   detail()};
    report_->setBandBeforePrint(Detail, [this](ReportBand& band, bool& print) { beforeDetail(band, print); });
}

TForm14::~TForm14() = default;

bool TForm14::prepare(Condition condition, const AreaKey& area)
{
    report_->areaView().first();
    report_->setCaption(MarkCaption, markField(condition));
    report_->setCaption(QStringLiteral("Title"), TQuickReport5::subtitle(condition));
    report_->setDataField(MarkField, markField(condition));
    return report_->locateArea(area);
}

void TForm14::run(Condition condition, const AreaKey& area)
{
    report_->closePreview();
    if (prepare(condition, area))
        report_->preview();
}

void TForm14::beforeDetail(ReportBand& band, bool& print)
{
    TableView& numbers = report_->numberView();
    const ReportElement* mark = band.element(MarkField);
    if (shortfallsOnly_ && shortfallsOnly_() && mark)
        print = isShortfall(numbers.asText(mark->field));

    // Chosen and loaded for every row, also one left out: a damaged file on an
    // owned number still stops the run, as it does when it prints.
    const QString billede = numbers.asText(u"Billede");
    const QString path = isPictureFile(billede) ? billede : (placeholder_ ? placeholder_() : QString());
    ReportElement* picture = band.element(Picture);
    try {
        const QSize box = pictureBox(report_->pictureSize(path));
        picture->width = box.width() * ReportPixelMm;
        picture->height = box.height() * ReportPixelMm;
        picture->picture = box.isEmpty() ? QImage() : report_->picture(path, *picture);
    } catch (const Error& e) {
        throw Error(reportmessages::pictureOfNumber(numbers.asText(u"Nummer") + numbers.asText(u"Type"),
                                                    QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()),
                                                    e.message()),
                    e.kind());
    }
}

} // namespace kvilbro
