#include "TableDef.h"

namespace kvilbro {

namespace {

TableDef makeAreas()
{
    return TableDef{
        TableId::Areas,
        QStringLiteral("stm2frim.db"),
        QStringLiteral("stm2frim"),
        QStringLiteral("frim"),
        {
            {QStringLiteral("National ID"), FieldKind::Text, 5},
            {QStringLiteral("Beskrivelse"), FieldKind::Text, 50},
            {QStringLiteral("Tæller"), FieldKind::RowId, 0},
        },
        {{QStringLiteral("stm2frim_order"),
          {QStringLiteral("National ID"), QStringLiteral("Beskrivelse"), QStringLiteral("Tæller")}}},
        2,
        {QStringLiteral("National ID"), QStringLiteral("Beskrivelse")},
    };
}

TableDef makeNumbers()
{
    return TableDef{
        TableId::Numbers,
        QStringLiteral("stm2manc.DB"),
        QStringLiteral("stm2manc"),
        QStringLiteral("main"),
        {
            {QStringLiteral("Land"), FieldKind::Text, 5},
            {QStringLiteral("Stamoplysning"), FieldKind::Text, 50},
            {QStringLiteral("Nummer"), FieldKind::Integer, 0},
            {QStringLiteral("Type"), FieldKind::Text, 10},
            {QStringLiteral("***"), FieldKind::Text, 3},
            {QStringLiteral("*"), FieldKind::Text, 3},
            {QStringLiteral("O"), FieldKind::Text, 3},
            {QStringLiteral("Billede"), FieldKind::Text, 75},
            {QStringLiteral("Bemærkning"), FieldKind::Text, 50},
            {QStringLiteral("Tæller"), FieldKind::RowId, 0},
        },
        {{QStringLiteral("stm2manc_order"),
          {QStringLiteral("Land"), QStringLiteral("Stamoplysning"), QStringLiteral("Nummer"), QStringLiteral("Type"),
           QStringLiteral("Tæller")}}},
        9,
    };
}

TableDef makeCollector()
{
    return TableDef{
        TableId::Collector,
        QStringLiteral("Bruger2.db"),
        QStringLiteral("Bruger2"),
        QStringLiteral("bruger"),
        {
            {QStringLiteral("Brugernavn"), FieldKind::Text, 50},
            {QStringLiteral("Adresse"), FieldKind::Text, 50},
            {QStringLiteral("By"), FieldKind::Text, 50},
            {QStringLiteral("Telefon"), FieldKind::Text, 30},
            {QStringLiteral("Email"), FieldKind::Text, 60},
            {QStringLiteral("Dato"), FieldKind::Date, 0},
            {QStringLiteral("Tæller"), FieldKind::RowId, 0},
        },
        {},
        6,
    };
}

} // namespace

QString TableDef::createTableSql(const QString& schema, const QString& name) const
{
    QStringList columns;
    for (const FieldDef& f : fields) {
        const QString type = f.kind == FieldKind::RowId     ? QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT")
                             : f.kind == FieldKind::Integer ? QStringLiteral("INTEGER")
                                                            : QStringLiteral("TEXT");
        columns << quoted(f.name) + u' ' + type;
    }
    const QString prefix = schema.isEmpty() ? QString() : quoted(schema) + u'.';
    return QStringLiteral("CREATE TABLE %1%2 (%3)")
        .arg(prefix, quoted(name.isEmpty() ? tableName : name), columns.join(QStringLiteral(", ")));
}

QStringList TableDef::createIndexSql(const QString& schema) const
{
    const QString prefix = schema.isEmpty() ? QString() : quoted(schema) + u'.';
    QStringList out;
    for (const IndexDef& index : indexes) {
        QStringList cols;
        for (const QString& f : index.fields)
            cols << quoted(f);
        out << QStringLiteral("CREATE INDEX %1%2 ON %3 (%4)")
                   .arg(prefix, quoted(index.name), quoted(tableName), cols.join(QStringLiteral(", ")));
    }
    return out;
}

QString quoted(const QString& name)
{
    QString out = name;
    out.replace(u'"', QStringLiteral("\"\""));
    return u'"' + out + u'"';
}

const TableDef& TableDef::get(TableId id)
{
    static const TableDef areas = makeAreas();
    static const TableDef numbers = makeNumbers();
    static const TableDef collector = makeCollector();
    switch (id) {
    case TableId::Areas:
        return areas;
    case TableId::Numbers:
        return numbers;
    case TableId::Collector:
        break;
    }
    return collector;
}

const QList<const TableDef*>& TableDef::all()
{
    static const QList<const TableDef*> list{&get(TableId::Numbers), &get(TableId::Areas), &get(TableId::Collector)};
    return list;
}

int TableDef::fieldIndex(QStringView name) const
{
    // Exact spelling first: it is what the program itself uses, and it is cheap.
    for (int i = 0; i < fields.size(); ++i) {
        if (fields[i].name == name)
            return i;
    }
    for (int i = 0; i < fields.size(); ++i) {
        if (name.compare(fields[i].name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString TableDef::qualifiedName() const
{
    return schemaName + u'.' + quoted(tableName);
}

} // namespace kvilbro
