#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace kvilbro {

enum class TableId { Areas, Numbers, Collector };
inline constexpr int TableCount = 3;

enum class FieldKind {
    Text,    // TEXT, cut to its width
    Integer, // 32-bit signed INTEGER
    Date,    // ISO date stored as TEXT, read as the locale's short date
    RowId,   // INTEGER PRIMARY KEY; the program never writes it
};

struct FieldDef {
    QString name;
    FieldKind kind;
    int width; // characters, for Text only
};

struct IndexDef {
    QString name;
    QStringList fields;
};

// The fixed layout of one table file: file name, table name, fields and indexes.
struct TableDef {
    TableId id;
    QString fileName;   // as opened from the working directory
    QString tableName;  // the one table inside the file
    QString schemaName; // name of the file in the shared connection
    QList<FieldDef> fields;
    QList<IndexDef> indexes;
    int rowIdField;
    // Fields whose values together may be stored only once (the link an area
    // gives its numbers); empty for none.
    QStringList distinctFields = {};

    static const TableDef& get(TableId id);
    static const QList<const TableDef*>& all();

    // Index of a field by name, letter case ignored; -1 if there is none.
    int fieldIndex(QStringView name) const;
    QString qualifiedName() const; // schema.table, quoted

    // The statements that create the table in schema `schema` (empty: the
    // connection's main) under `name` (empty: its own), and its indexes.
    // Row ids count up for ever, so a deleted row's id is never given again.
    QString createTableSql(const QString& schema = {}, const QString& name = {}) const;
    QStringList createIndexSql(const QString& schema = {}) const;
};

// A field or table name quoted for SQL text. Only names from TableDef are ever quoted.
QString quoted(const QString& name);

} // namespace kvilbro
