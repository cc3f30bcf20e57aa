#include "OfferMatch.h"

#include <QHash>

namespace kvilbro::figures {

OfferMatch matchOffer(Database& db, Condition condition, const QList<Area>& areas, const offers::Offer& offer)
{
    const QList<AreaWants> wants = readWants(db, condition, areas);
    // Which areas want each number and variant.
    QHash<std::pair<qint64, QString>, QList<qsizetype>> wanted;
    for (qsizetype a = 0; a < wants.size(); ++a) {
        for (const Entry& entry : wants[a].entries) {
            if (!entry.number)
                continue; // no offer line names a number that is not one
            QList<qsizetype>& where = wanted[{*entry.number, entry.type}];
            if (where.isEmpty() || where.last() != a)
                where << a;
        }
    }
    OfferMatch result;
    QList<QList<offers::OfferLine>> byArea(wants.size());
    for (const offers::OfferLine& line : offer.lines) {
        if (line.condition && *line.condition != condition) {
            ++result.otherCondition;
            continue;
        }
        const auto found = wanted.constFind({line.number, line.variant});
        if (found == wanted.cend())
            continue;
        ++result.filling;
        for (const qsizetype a : *found)
            byArea[a] << line;
    }
    for (qsizetype a = 0; a < wants.size(); ++a) {
        if (!byArea[a].isEmpty())
            result.areas.append({wants[a].area, byArea[a]});
    }
    return result;
}

} // namespace kvilbro::figures
