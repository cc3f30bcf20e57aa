#pragma once

#include "CollectionFigures.h"
#include "OfferFile.h"

namespace kvilbro::figures {

struct AreaOffers {
    Area area;
    QList<offers::OfferLine> lines; // in the offer's order
};

struct OfferMatch {
    QList<AreaOffers> areas; // in the main window's order
    int filling = 0;         // offer lines that fill a gap in at least one area
    int otherCondition = 0;  // lines offered in another condition
};

// The lines of `offer` that fill an empty mark in `condition` in one of
// `areas`: same number, same variant (exactly, letter case counts; blank
// for none). A line that says no condition may fill any. A number found in
// two areas is listed under both.
OfferMatch matchOffer(Database& db, Condition condition, const QList<Area>& areas, const offers::Offer& offer);

} // namespace kvilbro::figures
