#pragma once

#include "Database.h"
#include "TableView.h"

#include <QStringList>

namespace kvilbro::test {

// The main window's three views on a collection folder: areas in the table's
// own order, the current area's numbers by number and variant, the collector.
struct MainViews {
    explicit MainViews(const QString& dir)
        : db(dir), areas(db, TableId::Areas),
          numbers(db, TableId::Numbers,
                  {QStringLiteral("Land"), QStringLiteral("Stamoplysning"), QStringLiteral("Nummer"),
                   QStringLiteral("Type"), QStringLiteral("Tæller")}),
          collector(db, TableId::Collector)
    {
        numbers.setMaster(&areas, {QStringLiteral("Land"), QStringLiteral("Stamoplysning")},
                          {QStringLiteral("National ID"), QStringLiteral("Beskrivelse")});
        areas.open();
        numbers.open();
        collector.open();
    }
    Database db;
    TableView areas;
    TableView numbers;
    TableView collector;
};

} // namespace kvilbro::test
