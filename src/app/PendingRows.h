#pragma once

#include <QString>

#include <functional>
#include <initializer_list>

namespace kvilbro {

class TableView;

// What ending the program does with rows still being typed: each is stored
// when it can be; when one cannot be, the caller decides whether to drop it.
namespace pendingrows {

// Stores each view's pending row, in order. A row that cannot be stored is
// put to `dropIt` with the collector's message of why: true drops that row
// alone and goes on with the next view, false stops with it still pending.
// False when stopped.
bool settle(std::initializer_list<TableView*> views, const std::function<bool(const QString& reason)>& dropIt);

} // namespace pendingrows

} // namespace kvilbro
