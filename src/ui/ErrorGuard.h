#pragma once

#include <QString>

#include <functional>

namespace kvilbro {

class Dialogs;

// The general error handler: every menu item, button, key and grid event runs
// through `guarded`, which shows an error that escapes the command in the stop
// box and lets the program go on with the next event.
class ErrorGuard {
public:
    static void setDialogs(Dialogs* dialogs);
    static Dialogs* dialogs();
    // Runs `command`; an error it throws is shown, and false is returned.
    static bool guarded(const std::function<void()>& command);
    // Shows the exception being handled (call inside a catch block).
    static void reportCurrentException();
    // Shows `message` as the general error handler does.
    static void report(const QString& message);
    // The message with a full stop appended when its last character sorts after ".".
    static QString withFullStop(const QString& message);
};

} // namespace kvilbro
