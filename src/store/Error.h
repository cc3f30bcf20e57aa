#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

namespace kvilbro {

// The one exception type of the program. Its message is what the collector
// will read, so it must be complete and plain on its own.
class Error : public std::exception {
public:
    enum class Kind { General, Engine, Picture, File };

    explicit Error(QString message, Kind kind = Kind::General);

    const QString& message() const { return message_; }
    Kind kind() const { return kind_; }
    // Short name of the kind, for the fatal start-up box ("Table engine error", ...).
    QString kindName() const;
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    Kind kind_;
    QByteArray utf8_;
};

} // namespace kvilbro
