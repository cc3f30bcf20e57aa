#pragma once

#include <QString>

namespace kvilbro::toolsupport {

// Throws Error in plain words when `folder` holds no collection: it is
// missing, no folder, or none of the table files is there; and in the store's
// own words when the numbers file is missing or no table file at all.
void requireCollection(const QString& folder);

// Text from a table or an offer file as it may be shown in a terminal: control
// characters, which could move the cursor or recolour the screen, and the
// bidirectional controls, which reorder it, are shown as escapes (\x1b,
// \u202e). A message of several lines keeps its line breaks and tabs.
QString shown(const QString& text, bool keepLines = false);

} // namespace kvilbro::toolsupport
