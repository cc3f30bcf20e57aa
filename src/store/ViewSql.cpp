#include "ViewSql.h"

#include "Database.h"
#include "TableDef.h"

namespace kvilbro {

namespace {

QString whereClause(const QStringList& conditions)
{
    return conditions.isEmpty() ? QString() : QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
}

} // namespace

ViewSql::ViewSql(const TableDef& def, const QList<int>& orderFields, const QList<int>& linkFields)
    : table_(def.qualifiedName()), rowId_(quoted(def.fields[def.rowIdField].name))
{
    QStringList range;
    for (qsizetype i = 0; i < linkFields.size(); ++i)
        range << QStringLiteral("%1 IS ?%2").arg(quoted(def.fields[linkFields[i]].name)).arg(i + 1);
    range_ = range.join(QStringLiteral(" AND "));

    QStringList keyColumns{rowId_};
    QStringList order;
    for (int f : orderFields) {
        order << quoted(def.fields[f].name);
        if (f != def.rowIdField)
            keyColumns << quoted(def.fields[f].name);
    }
    orderBy_ = order.join(u',');
    keyColumns_ = keyColumns.join(u',');
    keyset_ = QStringLiteral("SELECT %1 FROM %2%3 ORDER BY %4")
                  .arg(keyColumns.join(u','), table_,
                       whereClause(range_.isEmpty() ? QStringList() : QStringList{range_}), orderBy_);

    QStringList all, dataColumns, params, assignments;
    int p = 0;
    for (int f = 0; f < def.fields.size(); ++f) {
        const QString column = quoted(def.fields[f].name);
        all << column;
        if (f == def.rowIdField)
            continue;
        ++p;
        dataColumns << column;
        params << QStringLiteral("?%1").arg(p);
        assignments << QStringLiteral("%1=?%2").arg(column).arg(p);
    }
    columns_ = all;
    QStringList blockParams;
    for (int i = 1; i <= BlockSize; ++i)
        blockParams << QStringLiteral("?%1").arg(i);
    block_ = QStringLiteral("SELECT %1 FROM %2 WHERE %3 IN (%4)")
                 .arg(all.join(u','), table_, rowId_, blockParams.join(u','));
    insert_ = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) RETURNING %4")
                  .arg(table_, dataColumns.join(u','), params.join(u','), rowId_);
    update_ = QStringLiteral("UPDATE %1 SET %2 WHERE %3=?%4").arg(table_, assignments.join(u','), rowId_).arg(p + 1);
    remove_ = QStringLiteral("DELETE FROM %1 WHERE %2=?1").arg(table_, rowId_);
}

const QString& ViewSql::updateOf(const QList<int>& fields) const
{
    quint64 set = 0;
    for (int f : fields)
        set |= quint64(1) << f;
    if (auto it = updates_.constFind(set); it != updates_.constEnd())
        return *it;
    QStringList assignments;
    for (int f : fields)
        assignments << QStringLiteral("%1=?%2").arg(columns_[f]).arg(assignments.size() + 1);
    if (assignments.isEmpty())
        assignments << QStringLiteral("%1=%1").arg(rowId_); // still tells whether the row is there
    return *updates_.insert(set, QStringLiteral("UPDATE %1 SET %2 WHERE %3=?%4")
                                     .arg(table_, assignments.join(u','), rowId_)
                                     .arg(fields.size() + 1));
}

QString ViewSql::rowsOf(const QStringList& columns) const
{
    return QStringLiteral("SELECT %1 FROM %2%3 ORDER BY %4")
        .arg(columns.join(u','), table_, whereClause(range_.isEmpty() ? QStringList() : QStringList{range_}), orderBy_);
}

QString ViewSql::firstWhere(const QStringList& conditions) const
{
    QStringList where;
    if (!range_.isEmpty())
        where << range_;
    where << conditions;
    return QStringLiteral("SELECT %1 FROM %2%3 ORDER BY %4 LIMIT 1")
        .arg(keyColumns_, table_, whereClause(where), orderBy_);
}

void ViewSql::bindRange(Statement& stmt, const QList<QVariant>& range)
{
    for (qsizetype i = 0; i < range.size(); ++i) {
        const QVariant& v = range[i];
        if (v.typeId() == QMetaType::QString && v.toString().isEmpty())
            stmt.bindNull(int(i + 1));
        else
            stmt.bind(int(i + 1), v);
    }
}

} // namespace kvilbro
