#pragma once

#include <QIODevice>

namespace kvilbro {

// A read-only, unbuffered view of another device that notes when a reader
// asked for bytes beyond the end. Qt's bitmap reader stops quietly at the end
// of a cut-off file and hands back a picture with rows never filled; through
// this device we can tell.
class ReadGuardDevice : public QIODevice {
public:
    explicit ReadGuardDevice(QIODevice* source);

    // Opens for reading without a buffer of its own, so that every read the
    // reader makes arrives here at its own size.
    bool openForReading();
    bool readPastEnd() const { return readPastEnd_; }

    bool isSequential() const override;
    qint64 size() const override;
    bool seek(qint64 pos) override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    QIODevice* source_;
    bool readPastEnd_ = false;
};

} // namespace kvilbro
