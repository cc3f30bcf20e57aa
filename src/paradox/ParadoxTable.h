#pragma once

#include "CodePages.h"
#include "ParadoxHeader.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

namespace kvilbro::paradox {

class MemoFile;

// One Paradox data table, read block by block along the chain of data blocks
// (not in the order they lie in the file), holding one block at a time. An
// encrypted or damaged table is refused with ParadoxError; a last block cut
// short on disk is read as far as it is whole, with a warning.
class ParadoxTable {
public:
    // Opens the table and its blob file (same name, .MB, any letter case)
    // when there is one. Throws ParadoxError.
    explicit ParadoxTable(const QString& path);
    ~ParadoxTable();
    ParadoxTable(const ParadoxTable&) = delete;
    ParadoxTable& operator=(const ParadoxTable&) = delete;

    const Header& header() const { return header_; }
    const QString& path() const { return path_; }
    bool hasMemoFile() const;

    // Texts are read in the header's code page until this is called. Throws
    // ParadoxError for a code page without a converter.
    void setCodePage(int codePage);
    int codePage() const { return codePage_; }

    // Calls `row` with each record's bytes (header().recordSize of them) in
    // chain order until it gives false. Throws ParadoxError for a damaged chain.
    void forEachRecord(const std::function<bool(const uchar* record)>& row);

    // A field's value in a record: invalid for a blank; QString, qint32,
    // double, bool, QDate, QTime, QDateTime; QByteArray for binary fields.
    QVariant value(const uchar* record, int field);
    QString text(const QByteArray& bytes);

    // How often each byte occurs in the alpha and memo fields' stored bytes
    // and the field names: what the code page is guessed from. Reads the table.
    ByteCounts textByteCounts();

    // What was read with doubt: cut-short blocks, memos not found, a row count
    // that differs from the header's. Each once.
    const QStringList& warnings() const { return warnings_; }

private:
    QVariant memoValue(const uchar* p, const Field& f);
    void warn(const QString& text);

    QString path_;
    QString name_;
    QFile file_;
    qint64 fileSize_ = 0;
    Header header_;
    int codePage_ = 0;
    QStringDecoder decoder_;
    std::unique_ptr<MemoFile> memo_;
    QStringList warnings_;
    int memoWarnings_ = 0;
};

} // namespace kvilbro::paradox
