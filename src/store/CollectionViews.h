#pragma once

#include <QStringList>

class QObject;

namespace kvilbro {

class Database;
class TableView;

// The windows that work on the collection, each with views of its own.
enum class CollectionWindow {
    MainWindow,         // also what the area and number commands act on
    MarkTypeList,       // the mark-type want list
    CombinedList,       // the combined marks want list
    AllInformationList, // the all-information want list
    PictureList,        // the picture want list
};

// The three views of one window, opened with that window's orders and link:
// `Table1` the areas, `Table2` the current area's numbers following `Table1`,
// `Table3` the collector row, standing on its first row. Every window gets its
// views here, so the orders and the link are written down once.
class CollectionViews {
public:
    // With an `owner` the views are its children and live as long as it does;
    // without one they live as long as this object. Throws Error when a table
    // cannot be opened or cannot serve its order.
    CollectionViews(Database& db, CollectionWindow window, QObject* owner = nullptr);
    ~CollectionViews();
    CollectionViews(const CollectionViews&) = delete;
    CollectionViews& operator=(const CollectionViews&) = delete;

    TableView& areas() const { return *areas_; }
    TableView& numbers() const { return *numbers_; }
    TableView& collector() const { return *collector_; }

    static QStringList areaOrder(CollectionWindow window);
    static QStringList numberOrder(CollectionWindow window);
    // The link: these fields of a number row equal the current area's `areaKeyFields`.
    static QStringList linkFields();
    static QStringList areaKeyFields();

private:
    TableView* areas_ = nullptr;
    TableView* numbers_ = nullptr;
    TableView* collector_ = nullptr;
    bool owned_ = false;
};

} // namespace kvilbro
