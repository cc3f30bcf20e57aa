#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>

namespace kvilbro::paradox {

// The blob file (.MB) beside a table: the memo texts too long for the record.
// Every place named by a record is checked against the file before it is read.
class MemoFile {
public:
    // Opens `path`; isOpen() tells whether that worked.
    explicit MemoFile(const QString& path);

    bool isOpen() const { return file_.isOpen(); }

    // The `length` bytes a record's blob pointer names, or nothing with
    // `why` set when the pointer leads nowhere sound.
    std::optional<QByteArray> read(quint32 pointer, quint32 length, QString* why);

private:
    QFile file_;
    qint64 size_ = 0;
};

} // namespace kvilbro::paradox
