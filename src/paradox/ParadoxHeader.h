#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace kvilbro::paradox {

enum FieldType : quint8 {
    Alpha = 0x01,
    Date = 0x02,
    Short = 0x03,
    Long = 0x04,
    Currency = 0x05,
    Number = 0x06,
    Logical = 0x09,
    Memo = 0x0C,
    Blob = 0x0D,
    FormattedMemo = 0x0E,
    Ole = 0x0F,
    Graphic = 0x10,
    Time = 0x14,
    Timestamp = 0x15,
    AutoIncrement = 0x16,
    Bcd = 0x17,
    Bytes = 0x18,
};

// A field's name as stored (not yet decoded), type, width in bytes and place in the record.
struct Field {
    QByteArray rawName;
    QString name;
    quint8 type = 0;
    int size = 0;
    int offset = 0;
};

struct Header {
    int recordSize = 0;
    int headerSize = 0;
    int fileType = 0;
    int blockSize = 0; // bytes
    quint32 recordCount = 0;
    int fileBlocks = 0;
    int firstBlock = 0;
    int lastBlock = 0;
    int versionId = 0; // as stored: 3 for 3.0 ... 12 for 7
    int codePage = 0;  // 0 when the header names none
    quint32 autoIncrement = 0;
    bool encrypted = false;
    QByteArray tableName;
    QList<Field> fields;

    // "3.0", "3.5", "4", "5", "7".
    QString versionText() const;
};

// Reads and checks the header at the start of `bytes`, a file of `fileSize`
// bytes named `file` in messages. Every count and offset is checked against
// what the header and the file hold. Throws ParadoxError.
Header parseHeader(const QByteArray& bytes, qint64 fileSize, const QString& file);

const char* fieldTypeName(quint8 type);

} // namespace kvilbro::paradox
