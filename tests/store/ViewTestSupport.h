#pragma once

// Shared by the table view tests.
#include "Error.h"
#include "ErrorOf.h"
#include "MainViews.h"
#include "TableView.h"

#include <QStringList>

#include <functional>

namespace kvilbro::test {

inline const QStringList NumberOrder{QStringLiteral("Land"), QStringLiteral("Stamoplysning"), QStringLiteral("Nummer"),
                                     QStringLiteral("Type"), QStringLiteral("Tæller")};

using Views = MainViews;

// The message a collection folder is refused with when opened; empty when it opens.
inline QString openError(const QString& dir, Database::Access access = Database::Access::AsAllowed)
{
    try {
        Database db(dir, access);
    } catch (const Error& e) {
        return e.message();
    }
    return QString();
}

// "7", "7a", ... for each row of a view, first to last; leaves the view on its last row.
inline QStringList walk(TableView& view)
{
    QStringList out;
    view.first();
    while (!view.eof()) {
        out << view.asText(u"Nummer") + view.asText(u"Type");
        view.next();
    }
    return out;
}

inline QString current(const TableView& view)
{
    return view.asText(u"Nummer") + view.asText(u"Type");
}

} // namespace kvilbro::test
