#include "ReadGuardDevice.h"

namespace kvilbro {

ReadGuardDevice::ReadGuardDevice(QIODevice* source) : source_(source) {}

bool ReadGuardDevice::openForReading()
{
    if (!source_->isSequential() && !source_->seek(0))
        return false;
    return QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

bool ReadGuardDevice::isSequential() const
{
    return source_->isSequential();
}

qint64 ReadGuardDevice::size() const
{
    return source_->size();
}

bool ReadGuardDevice::seek(qint64 pos)
{
    return QIODevice::seek(pos) && source_->seek(pos);
}

qint64 ReadGuardDevice::readData(char* data, qint64 maxSize)
{
    const qint64 got = source_->read(data, maxSize);
    if (got < maxSize)
        readPastEnd_ = true;
    return got;
}

qint64 ReadGuardDevice::writeData(const char*, qint64)
{
    return -1;
}

} // namespace kvilbro
