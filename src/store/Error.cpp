#include "Error.h"

namespace kvilbro {

Error::Error(QString message, Kind kind) : message_(std::move(message)), kind_(kind), utf8_(message_.toUtf8()) {}

QString Error::kindName() const
{
    switch (kind_) {
    case Kind::Engine:
        return QStringLiteral("Fejl i tabelmotoren");
    case Kind::Picture:
        return QStringLiteral("Billedfejl");
    case Kind::File:
        return QStringLiteral("Filfejl");
    case Kind::General:
        break;
    }
    return QStringLiteral("Fejl");
}

} // namespace kvilbro
