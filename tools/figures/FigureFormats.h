#pragma once

#include "CollectionFigures.h"
#include "OfferMatch.h"

#include <QString>

namespace kvilbro::figures {

// "used (O)", "mint (***)", "unused (*)".
QString conditionTitle(Condition condition);

QString statsText(const Tallies& tallies);
QString statsCsv(const Tallies& tallies);
QString statsJson(const Tallies& tallies);

// Numbers wrapped at this width, for e-mail.
constexpr int WantsWidth = 76;

QString wantsText(const QList<AreaWants>& wants, Condition condition);
QString wantsMarkdown(const QList<AreaWants>& wants, Condition condition);
QString wantsCsv(const QList<AreaWants>& wants);

QString matchText(const OfferMatch& match, const offers::Offer& offer, Condition condition);

// One field of comma-separated text: quoted when it must be, and a text that a
// spreadsheet would run as a formula kept as text.
QString csvField(const QString& text);

} // namespace kvilbro::figures
