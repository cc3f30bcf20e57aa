#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

namespace kvilbro {

class Database;
class Keyset;
struct TableDef;

// Rows of a view read lazily, a block of neighbours at a time, so a grid
// scrolling through a large range reads each block once.
class RowCache {
public:
    using Row = QList<QVariant>;
    // Rows kept before the cache starts afresh.
    static constexpr int Limit = 4096;

    RowCache(Database& db, const TableDef& def) : db_(db), def_(def) {}
    // The statement that reads a block (see ViewSql::block).
    void setBlockSql(const QString& sql) { blockSql_ = sql; }

    // The row at `index` of the keyset. The reference stays valid until the
    // cache next changes; callers copy what they keep. A row deleted through
    // another view since the keyset was read comes back blank.
    const Row& row(const Keyset& keyset, int index);

    // Reads one row afresh, without its neighbours.
    const Row& reread(qint64 rowId);
    void put(qint64 rowId, const Row& row) { rows_.insert(rowId, row); }
    void drop(qint64 rowId) { rows_.remove(rowId); }
    void clear() { rows_.clear(); }
    bool contains(qint64 rowId) const { return rows_.contains(rowId); }

private:
    void readBlock(const Keyset& keyset, int index);

    Database& db_;
    const TableDef& def_;
    QString blockSql_;
    QHash<qint64, Row> rows_;
};

} // namespace kvilbro
