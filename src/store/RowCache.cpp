#include "RowCache.h"

#include "Database.h"
#include "Keyset.h"
#include "TableDef.h"
#include "ViewSql.h"

namespace kvilbro {

const RowCache::Row& RowCache::row(const Keyset& keyset, int index)
{
    const qint64 id = keyset.rowId(index);
    auto it = rows_.constFind(id);
    if (it == rows_.constEnd()) {
        readBlock(keyset, index);
        it = rows_.constFind(id);
    }
    return *it;
}

const RowCache::Row& RowCache::reread(qint64 rowId)
{
    if (rows_.size() > Limit)
        rows_.clear();
    const int fieldCount = int(def_.fields.size());
    Row row(fieldCount);
    // The block statement with one id; the other places stay NULL and match nothing.
    Statement stmt = db_.prepare(def_.id, blockSql_);
    stmt.bindInt(1, rowId);
    if (stmt.step()) {
        for (int f = 0; f < fieldCount; ++f)
            row[f] = stmt.column(f);
    }
    return *rows_.insert(rowId, row);
}

void RowCache::readBlock(const Keyset& keyset, int index)
{
    if (rows_.size() > Limit)
        rows_.clear();
    const int start = index - index % ViewSql::BlockSize;
    const int end = std::min(start + ViewSql::BlockSize, keyset.size());
    Statement stmt = db_.prepare(def_.id, blockSql_);
    for (int i = start; i < end; ++i)
        stmt.bindInt(i - start + 1, keyset.rowId(i));
    const int fieldCount = int(def_.fields.size());
    while (stmt.step()) {
        Row row(fieldCount);
        for (int f = 0; f < fieldCount; ++f)
            row[f] = stmt.column(f);
        rows_.insert(row[def_.rowIdField].toLongLong(), row);
    }
    for (int i = start; i < end; ++i) {
        if (!rows_.contains(keyset.rowId(i)))
            rows_.insert(keyset.rowId(i), Row(fieldCount));
    }
}

} // namespace kvilbro
