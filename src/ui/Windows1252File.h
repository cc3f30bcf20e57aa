#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <QStringView>

namespace kvilbro {

// Text in the single-byte Windows-1252 code page, the form of every text file
// the program writes for the collector. A character the code page cannot hold
// becomes "?", and is counted, rather than a byte that reads as something else.
class Windows1252 {
public:
    // The bytes of `text`; `replaced`, when given, grows by the characters written as "?".
    static QByteArray encode(QStringView text, qsizetype* replaced = nullptr);
    static QString decode(QByteArrayView bytes);
};

// A new text file in Windows-1252, written through a buffer. Every write and
// the close are checked: once one fails the file stays failed, later writes do
// nothing, and close() reports it.
class Windows1252File {
public:
    explicit Windows1252File(const QString& path);
    ~Windows1252File();
    Windows1252File(const Windows1252File&) = delete;
    Windows1252File& operator=(const Windows1252File&) = delete;

    // Creates the file, replacing one of that name.
    bool open();
    void write(QStringView text);
    // CR LF.
    void writeLineEnd() { write(u"\r\n"); }
    // Writes what is buffered and closes; false when anything since open() failed.
    bool close();

    bool failed() const { return failed_; }
    QString errorString() const { return file_.errorString(); }
    // Characters written as "?" so far.
    qsizetype replaced() const { return replaced_; }

private:
    void flushText();

    QFile file_;
    QString text_;
    qsizetype replaced_ = 0;
    bool failed_ = false;
};

} // namespace kvilbro
