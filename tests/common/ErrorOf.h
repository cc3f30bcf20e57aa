#pragma once

#include "Error.h"

#include <QString>

#include <functional>

namespace kvilbro::test {

// The message of the Error that `f` throws; empty when it throws none.
inline QString errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Error& e) {
        return e.message();
    }
    return QString();
}

} // namespace kvilbro::test
