#pragma once

#include <QString>

namespace kvilbro {

// The three conditions a stamp is owned in, each with its own mark field.
enum class Condition { Used, Mint, Unused };

inline QString markField(Condition condition)
{
    switch (condition) {
    case Condition::Used:
        return QStringLiteral("O");
    case Condition::Mint:
        return QStringLiteral("***");
    case Condition::Unused:
        return QStringLiteral("*");
    }
    return {};
}

// A number is a shortfall in a condition when its mark there is empty text.
inline bool isShortfall(const QString& markText)
{
    return markText.isEmpty();
}

// An area as its numbers link to it: both fields, compared exactly.
struct AreaKey {
    QString nationalId;
    QString description;
};

} // namespace kvilbro
