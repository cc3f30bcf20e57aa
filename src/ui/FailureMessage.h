#pragma once

#include <QString>

#include <exception>

namespace kvilbro {

// The one place where a failure becomes the text the collector reads: an
// Error's own message, a plain sentence for running out of memory, and the
// library's words for anything else.
QString failureMessage(const std::exception_ptr& failure);

} // namespace kvilbro
