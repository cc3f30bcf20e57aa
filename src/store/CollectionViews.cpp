#include "CollectionViews.h"

#include "TableView.h"

namespace kvilbro {

QStringList CollectionViews::linkFields()
{
    return {QStringLiteral("Land"), QStringLiteral("Stamoplysning")};
}

QStringList CollectionViews::areaKeyFields()
{
    return {QStringLiteral("National ID"), QStringLiteral("Beskrivelse")};
}

QStringList CollectionViews::areaOrder(CollectionWindow window)
{
    switch (window) {
    case CollectionWindow::MarkTypeList:
    case CollectionWindow::CombinedList:
        return {QStringLiteral("National ID"), QStringLiteral("Beskrivelse"), QStringLiteral("Tæller")};
    case CollectionWindow::MainWindow:
    case CollectionWindow::AllInformationList:
    case CollectionWindow::PictureList:
        break;
    }
    return {}; // the table's own order
}

QStringList CollectionViews::numberOrder(CollectionWindow window)
{
    if (window == CollectionWindow::MainWindow)
        return linkFields() + QStringList{QStringLiteral("Nummer"), QStringLiteral("Type"), QStringLiteral("Tæller")};
    // The lists ask for the link fields only; the index that serves them orders the rest.
    return linkFields();
}

CollectionViews::CollectionViews(Database& db, CollectionWindow window, QObject* owner) : owned_(owner == nullptr)
{
    try {
        areas_ = new TableView(db, TableId::Areas, areaOrder(window), owner);
        areas_->setObjectName(QStringLiteral("Table1"));
        numbers_ = new TableView(db, TableId::Numbers, numberOrder(window), owner);
        numbers_->setObjectName(QStringLiteral("Table2"));
        numbers_->setMaster(areas_, linkFields(), areaKeyFields());
        collector_ = new TableView(db, TableId::Collector, {}, owner);
        collector_->setObjectName(QStringLiteral("Table3"));
        areas_->open();
        numbers_->open();
        collector_->open();
        collector_->first();
    } catch (...) {
        // The owner may outlive a failed start; leave it no half-opened views.
        delete collector_;
        delete numbers_;
        delete areas_;
        throw;
    }
}

CollectionViews::~CollectionViews()
{
    if (!owned_)
        return;
    delete collector_;
    delete numbers_;
    delete areas_;
}

} // namespace kvilbro
