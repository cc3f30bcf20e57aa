#include "Error.h"

namespace kvilbro {

Error::Error(QString message, Kind kind) : message_(std::move(message)), kind_(kind), utf8_(message_.toUtf8()) {}

QString Error::kindName() const
{
    switch (kind_) {
    case Kind::Engine:
        return QStringLiteral("Table engine error");
    case Kind::Picture:
        return QStringLiteral("Picture error");
    case Kind::File:
        return QStringLiteral("File error");
    case Kind::General:
        break;
    }
    return QStringLiteral("Error");
}

} // namespace kvilbro
