#include "ParadoxError.h"

namespace kvilbro::paradox {

ParadoxError::ParadoxError(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}

} // namespace kvilbro::paradox
