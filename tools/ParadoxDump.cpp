#include "ParadoxDump.h"

#include "ParadoxTable.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace kvilbro::tablefiles {

namespace {

QString shown(const QVariant& v)
{
    if (!v.isValid())
        return QStringLiteral("(blank)");
    switch (v.typeId()) {
    case QMetaType::QDate:
        return v.toDate().toString(Qt::ISODate);
    case QMetaType::QTime:
        return v.toTime().toString(QStringLiteral("HH:mm:ss.zzz"));
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::Double:
        return QString::number(v.toDouble(), 'g', 17);
    case QMetaType::QByteArray:
        return QStringLiteral("0x") + QString::fromLatin1(v.toByteArray().toHex());
    default: {
        QString text = v.toString();
        text.replace(u'\\', QStringLiteral("\\\\")).replace(u'\n', QStringLiteral("\\n"));
        text.replace(u'\r', QStringLiteral("\\r")).replace(u'\t', QStringLiteral("\\t"));
        return text;
    }
    }
}

} // namespace

void dumpParadox(const QString& path, int codePage, QTextStream& out)
{
    paradox::ParadoxTable table(path);
    if (codePage != 0)
        table.setCodePage(codePage);
    const paradox::Header& h = table.header();
    out << "Table: " << table.text(h.tableName) << "\n";
    out << "Version: " << h.versionText() << " (" << h.versionId << ")\n";
    out << "Code page: " << table.codePage() << (h.codePage == 0 ? " (none in the header)" : "") << "\n";
    out << "Record size: " << h.recordSize << " bytes\n";
    out << "Block size: " << h.blockSize << " bytes\n";
    out << "Blocks: " << h.fileBlocks << ", first " << h.firstBlock << ", last " << h.lastBlock << "\n";
    out << "Rows in the header: " << h.recordCount << "\n";
    out << "Blob file: " << (table.hasMemoFile() ? "yes" : "no") << "\n";
    out << "Fields:\n";
    for (int i = 0; i < h.fields.size(); ++i) {
        const paradox::Field& f = h.fields[i];
        out << "  " << (i + 1) << ". " << f.name << ": " << paradox::fieldTypeName(f.type) << " (" << f.size
            << " bytes)\n";
    }
    out << "Rows:\n";
    qint64 n = 0;
    table.forEachRecord([&](const uchar* record) {
        out << "  " << ++n << ":";
        for (int i = 0; i < h.fields.size(); ++i)
            out << (i == 0 ? " " : " | ") << shown(table.value(record, i));
        out << "\n";
        return true;
    });
    for (const QString& w : table.warnings())
        out << "Warning: " << w << "\n";
}

} // namespace kvilbro::tablefiles
