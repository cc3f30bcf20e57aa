#pragma once

#include <QString>

#include <initializer_list>

namespace kvilbro {

class TableView;

// What ending the program does with rows still being typed: they are stored
// when they can be; when they cannot, the caller decides whether to drop them.
namespace pendingrows {

// Stores each view's pending row, in order; the collector's message of the
// first failure, or empty text when everything is stored.
QString store(std::initializer_list<TableView*> views);
// Drops what is still pending, so nothing blocks the end.
void drop(std::initializer_list<TableView*> views);

} // namespace pendingrows

} // namespace kvilbro
