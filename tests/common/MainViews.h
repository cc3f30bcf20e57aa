#pragma once

#include "CollectionViews.h"
#include "Database.h"
#include "TableView.h"

namespace kvilbro::test {

// The main window's three views on a collection folder.
struct MainViews {
    explicit MainViews(const QString& dir, Database::Access access = Database::Access::AsAllowed)
        : db(dir, access), views(db, CollectionWindow::MainWindow), areas(views.areas()), numbers(views.numbers()),
          collector(views.collector())
    {
    }
    Database db;
    CollectionViews views;
    TableView& areas;
    TableView& numbers;
    TableView& collector;
};

} // namespace kvilbro::test
