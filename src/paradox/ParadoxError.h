#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

namespace kvilbro::paradox {

// A Paradox table that cannot be read: damaged, encrypted or of a kind this
// reader does not know. The message names the file and says what is wrong.
class ParadoxError : public std::exception {
public:
    explicit ParadoxError(QString message);

    const QString& message() const { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

} // namespace kvilbro::paradox
