#include "TableImporter.h"

#include "Error.h"
#include "FieldRules.h"
#include "ParadoxTable.h"
#include "PicturePaths.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTime>

#include <sqlite3.h>

#include <cmath>
#include <memory>

namespace kvilbro::tablefiles {

namespace {

struct CloseDb {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};

[[noreturn]] void fail(sqlite3* db, const QString& file)
{
    throw Error(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(file), QString::fromUtf8(sqlite3_errmsg(db))),
                Error::Kind::Engine);
}

void exec(sqlite3* db, const QString& file, const char* sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(db, file);
}

// A read value as the text a collector would have typed into the field.
QString asText(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        return {};
    case QMetaType::QDate:
        return v.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime:
        return v.toDateTime().toString(Qt::ISODate);
    case QMetaType::QTime:
        return v.toTime().toString(QStringLiteral("HH:mm:ss"));
    case QMetaType::Bool:
        // A mark field ticked or not.
        return v.toBool() ? QStringLiteral("x") : QString();
    case QMetaType::Double: {
        const double d = v.toDouble();
        if (std::isfinite(d) && std::floor(d) == d && std::fabs(d) < 1e15)
            return QString::number(qint64(d));
        return QString::number(d, 'g', 15);
    }
    case QMetaType::QByteArray:
        return {};
    default:
        return v.toString();
    }
}

QString quotedValue(const QString& text)
{
    QString out = text;
    out.replace(u'\n', QStringLiteral("\\n")).replace(u'\r', QStringLiteral("\\r"));
    return u'"' + out + u'"';
}

} // namespace

TableImporter::TableImporter(const TableDef& def, const ImportSettings& settings, QTextStream& report)
    : def_(def), settings_(settings), report_(report)
{
}

QString TableImporter::linkKey(const QString& nationalId, const QString& description)
{
    return nationalId + QChar(0x1F) + description;
}

TableCounts TableImporter::run(const QString& paradoxPath, const QString& tableFile)
{
    TableCounts counts;
    paradox::ParadoxTable table(paradoxPath);
    const QString name = def_.fileName;
    if (settings_.codePage != 0) {
        table.setCodePage(settings_.codePage);
    } else {
        QString warning;
        table.setCodePage(paradox::choose(table.header().codePage, table.textByteCounts(), &warning));
        if (!warning.isEmpty())
            counts.warnings << warning;
    }
    counts.codePage = table.codePage();

    // Fields by name; the old table's others are left out, the schema's missing ones stay blank.
    const QList<paradox::Field>& fields = table.header().fields;
    QList<int> source(def_.fields.size(), -1);
    for (int i = 0; i < fields.size(); ++i) {
        const int target = def_.fieldIndex(fields[i].name.trimmed());
        if (target < 0 || source[target] >= 0)
            counts.warnings
                << QStringLiteral("The field '%1' has no place in the collection; it is left out.").arg(fields[i].name);
        else
            source[target] = i;
    }
    QStringList columns, marks;
    QList<int> targets;
    for (int f = 0; f < def_.fields.size(); ++f) {
        if (source[f] < 0) {
            if (def_.fields[f].kind != FieldKind::RowId)
                counts.warnings
                    << QStringLiteral("The table has no field '%1'; it is left blank.").arg(def_.fields[f].name);
            continue;
        }
        columns << quoted(def_.fields[f].name);
        marks << QStringLiteral("?%1").arg(columns.size());
        targets << f;
    }

    if (columns.isEmpty())
        throw Error(QStringLiteral("%1 has none of the fields of %2; nothing was imported.")
                        .arg(QDir::toNativeSeparators(paradoxPath), name));

    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(tableFile).constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    std::unique_ptr<sqlite3, CloseDb> db(raw);
    if (rc != SQLITE_OK)
        fail(raw, tableFile);
    exec(raw, tableFile, "BEGIN");
    sqlite3_stmt* stmt = nullptr;
    const QByteArray sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                               .arg(quoted(def_.tableName), columns.join(u','), marks.join(u','))
                               .toUtf8();
    if (sqlite3_prepare_v2(raw, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        fail(raw, tableFile);
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(stmt, sqlite3_finalize);

    const int land = def_.fieldIndex(u"Land");
    const int story = def_.fieldIndex(u"Stamoplysning");
    const int nationalId = def_.fieldIndex(u"National ID");
    const int description = def_.fieldIndex(u"Beskrivelse");
    const int picture = def_.fieldIndex(u"Billede");
    QSet<qint64> rowIds;
    rowIds.reserve(qsizetype(std::min<quint32>(table.header().recordCount, 1u << 22)));
    QList<QVariant> stored(def_.fields.size());
    QList<QByteArray> utf8(def_.fields.size());

    table.forEachRecord([&](const uchar* record) {
        const qint64 row = ++counts.read;
        // Named only when something is reported: most rows come over as they are.
        const auto where = [&name, row] { return QStringLiteral("%1, row %2").arg(name).arg(row); };
        QStringList notes;
        QString current;
        try {
            for (const int f : std::as_const(targets)) {
                const FieldDef& field = def_.fields[f];
                current = field.name;
                const QVariant value = table.value(record, source[f]);
                if (field.kind == FieldKind::RowId) {
                    // The old counter is kept where it is a fresh positive number.
                    bool ok = false;
                    const qint64 id = value.toLongLong(&ok);
                    stored[f] = ok && id > 0 && !rowIds.contains(id) ? QVariant(id) : QVariant();
                    if (stored[f].isValid())
                        rowIds.insert(id);
                    continue;
                }
                QString text = field.kind == FieldKind::Date && value.typeId() == QMetaType::QDateTime
                                   ? value.toDateTime().date().toString(Qt::ISODate)
                                   : asText(value);
                if (f == picture && isWindowsPath(text)) {
                    ++counts.windowsPaths;
                    const QString mapped = mapPicturePath(text, settings_.pictureRoot);
                    if (mapped.isEmpty()) {
                        notes << QStringLiteral("%1: picture path %2 kept as it is.").arg(where(), quotedValue(text));
                    } else {
                        ++counts.mappedPaths;
                        notes << QStringLiteral("%1: picture path %2 becomes %3.")
                                     .arg(where(), quotedValue(text), quotedValue(mapped));
                        text = mapped;
                    }
                }
                stored[f] = storedValue(field, text);
                if (field.kind == FieldKind::Text && stored[f].toString().size() != text.size() &&
                    stored[f].toString() != text) {
                    ++counts.cut;
                    notes << QStringLiteral("%1: '%2' cut to %3 characters; the whole value: %4")
                                 .arg(where(), field.name)
                                 .arg(field.width)
                                 .arg(quotedValue(text));
                }
            }
        } catch (const Error& e) {
            ++counts.skipped;
            ++counts.skipReasons[QStringLiteral("the field '%1' cannot hold the value").arg(current)];
            report_ << where() << " skipped: " << e.message() << "\n";
            return true;
        }
        if (land >= 0 && story >= 0 && areaLinks_ &&
            !areaLinks_->contains(linkKey(stored[land].toString(), stored[story].toString()))) {
            ++counts.unlinked;
            notes << QStringLiteral("%1: no area has Land %2 and Stamoplysning %3; the number was kept.")
                         .arg(where(), quotedValue(stored[land].toString()), quotedValue(stored[story].toString()));
        }
        if (nationalId >= 0 && description >= 0)
            links_.insert(linkKey(stored[nationalId].toString(), stored[description].toString()));
        for (int i = 0; i < targets.size(); ++i) {
            const QVariant& v = stored[targets[i]];
            if (!v.isValid()) {
                sqlite3_bind_null(stmt, i + 1);
            } else if (v.typeId() == QMetaType::LongLong) {
                sqlite3_bind_int64(stmt, i + 1, v.toLongLong());
            } else {
                utf8[i] = v.toString().toUtf8();
                sqlite3_bind_text(stmt, i + 1, utf8[i].constData(), int(utf8[i].size()), SQLITE_STATIC);
            }
        }
        if (sqlite3_step(stmt) != SQLITE_DONE)
            fail(raw, tableFile);
        sqlite3_reset(stmt);
        ++counts.written;
        for (const QString& note : std::as_const(notes))
            report_ << note << "\n";
        return true;
    });
    exec(raw, tableFile, "COMMIT");
    counts.warnings << table.warnings();
    return counts;
}

} // namespace kvilbro::tablefiles
