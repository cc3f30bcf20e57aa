#include "CommonPageHeader.h"

namespace kvilbro {

namespace {

using Align = ReportElement::Align;
using View = ReportElement::View;

ReportElement collector(const QString& name, const QString& field)
{
    return ReportElement::dataField(name, View::Collector, field);
}

ReportElement area()
{
    return ReportElement::dataField(QStringLiteral("AreaDescription"), View::Areas, QStringLiteral("Beskrivelse"));
}

ReportElement title()
{
    return ReportElement::label(QStringLiteral("Title"), QStringLiteral("Mancoliste"));
}

ReportElement subtitle(const QString& caption)
{
    return ReportElement::label(QStringLiteral("Subtitle"), caption);
}

ReportElement pageLabel(const QString& caption)
{
    return ReportElement::label(QStringLiteral("PageLabel"), caption);
}

ReportElement dateLabel()
{
    return ReportElement::label(QStringLiteral("DateLabel"), QStringLiteral("Dato"));
}

ReportElement pageNumber()
{
    return ReportElement::pageNumber(QStringLiteral("PageNumber"));
}

ReportElement date()
{
    return ReportElement::date(QStringLiteral("Date"));
}

} // namespace

ReportFont CommonPageHeader::baseFont(Variant variant)
{
    return ReportFont{QStringLiteral("Arial"), variant == Variant::AllInformation ? 9.0 : 10.0, false};
}

ReportBand CommonPageHeader::make(Variant variant, const QString& bandName)
{
    ReportBand band;
    band.kind = ReportBand::Kind::PageHeader;
    band.name = bandName;
    band.frame = AllSides;
    const QString name = QStringLiteral("CollectorName");
    const QString address = QStringLiteral("CollectorAddress");
    const QString town = QStringLiteral("CollectorTown");

    switch (variant) {
    case Variant::MarkType:
        band.height = 15.8;
        band.elements = {
            collector(name, QStringLiteral("Brugernavn")).startingAt(2.4, 2.4),
            collector(address, QStringLiteral("Adresse")).startingAt(2.3, 6.6),
            collector(town, QStringLiteral("By")).startingAt(2.3, 10.6),
            title().box(70.6, 121.3, 4.3, Align::Center).withFont(18),
            subtitle(QString()).box(72.5, 117.5, 10.6, Align::Center),
            area().box(116.4, 186.1, 2.9, Align::Right).wrapped(true),
            pageLabel(QStringLiteral("Side nr. ")).startingAt(161.4, 6.6),
            pageNumber().box(177.9, 185.6, 6.8, Align::Right),
            dateLabel().startingAt(161.4, 10.9),
            date().startingAt(169.7, 10.6),
        };
        break;
    case Variant::Combined:
        band.height = 14.2;
        band.elements = {
            collector(name, QStringLiteral("Brugernavn")).startingAt(2.4, 1.0),
            collector(address, QStringLiteral("Adresse")).startingAt(2.4, 4.9),
            collector(town, QStringLiteral("By")).startingAt(2.4, 9.2),
            title().box(69.7, 119.2, 1.0, Align::Center).withFont(18),
            subtitle(QStringLiteral("Postfrisk / ubrugt / stemplet")).box(72.5, 117.5, 8.5, Align::Center),
            area().box(129.6, 186.1, 1.4, Align::Right).wrapped(true),
            pageLabel(QStringLiteral("Side nr. ")).startingAt(161.5, 5.4),
            pageNumber().box(177.9, 185.6, 5.4, Align::Right),
            dateLabel().startingAt(161.5, 9.7),
            date().startingAt(172.4, 9.4),
        };
        break;
    case Variant::AllInformation:
        band.height = 14.7;
        band.elements = {
            collector(name, QStringLiteral("Brugernavn")).startingAt(1.5, 2.9),
            collector(address, QStringLiteral("Adresse")).startingAt(1.5, 6.8),
            collector(town, QStringLiteral("By")).startingAt(1.5, 10.6),
            title().centredOn(95.4, 1.5).withFont(20),
            area().box(119.9, 189.6, 2.6, Align::Right).wrapped(true),
            pageLabel(QStringLiteral("Side nr. ")).startingAt(162.9, 6.6),
            pageNumber().box(181.5, 189.2, 6.6, Align::Right),
            dateLabel().startingAt(162.9, 11.5),
            date().startingAt(171.1, 11.2),
        };
        break;
    case Variant::Picture:
        band.height = 26.3;
        band.elements = {
            collector(name, QStringLiteral("Brugernavn")).startingAt(2.4, 10.6),
            collector(address, QStringLiteral("Adresse")).startingAt(2.4, 14.7),
            collector(QStringLiteral("CollectorDate"), QStringLiteral("Dato")).startingAt(2.4, 18.7),
            // The command sets this title to the list's name.
            title().box(-0.3, 190.5, 2.1, Align::Center).withFont(16, true),
            // Without stretch only the first line of a long description prints.
            area().box(139.4, 187.8, 16.9, Align::Right).wrapped(false),
            pageLabel(QStringLiteral("Side")).startingAt(173.5, 21.2),
            pageNumber().endingAt(187.9, 21.2),
            dateLabel().startingAt(158.8, 12.6),
            date().endingAt(187.6, 12.6),
        };
        break;
    }
    return band;
}

} // namespace kvilbro
