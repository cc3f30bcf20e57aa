#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

namespace kvilbro {

class Statement;
struct TableDef;

// The statements a view runs, made once for its table, order and link: the
// keyset of its range, blocks of rows by row id, and the row changes.
// Link values are parameters 1..n of every statement that reads the range.
class ViewSql {
public:
    // Rows a block statement reads at once.
    static constexpr int BlockSize = 64;

    ViewSql() = default;
    // `orderFields` end with the row id; `linkFields` are the fields the range is restricted on.
    ViewSql(const TableDef& def, const QList<int>& orderFields, const QList<int>& linkFields);

    // Row id, then the sort keys (the order without the row id), over the range, in order.
    const QString& keyset() const { return keyset_; }
    // Every field of the rows whose ids are bound as parameters 1..BlockSize.
    const QString& block() const { return block_; }
    // Parameters: every field but the row id, in table order (update: then the
    // row id). The insert gives back the stored row's id.
    const QString& insert() const { return insert_; }
    const QString& update() const { return update_; }
    const QString& remove() const { return remove_; }
    // Sets only `fields` (parameters 1..n), the row id is parameter n + 1.
    const QString& updateOf(const QList<int>& fields) const;

    // The `columns` of every row of the range, in order.
    QString rowsOf(const QStringList& columns) const;
    // The first row of the range, in order, that also meets `conditions`
    // (SQL with parameters numbered after the link's): its row id, then its
    // sort keys, as the keyset reads them.
    QString firstWhere(const QStringList& conditions) const;

    // Binds the range's link values; a blank value is stored as NULL, never as empty text.
    static void bindRange(Statement& stmt, const QList<QVariant>& range);

private:
    QString table_;
    QString rowId_;
    QString range_; // empty without a link
    QString orderBy_;
    QString keyColumns_; // the row id, then the order's other fields
    QString keyset_;
    QString block_;
    QString insert_;
    QString update_;
    QString remove_;
    QStringList columns_;                     // every field, quoted, in table order
    mutable QHash<quint64, QString> updates_; // by the set of fields, one bit each
};

} // namespace kvilbro
