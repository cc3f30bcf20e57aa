#include "ErrorGuard.h"

#include "Dialogs.h"
#include "FailureMessage.h"

#include <QDebug>

namespace kvilbro {

namespace {
Dialogs* current = nullptr;
}

void ErrorGuard::setDialogs(Dialogs* dialogs)
{
    current = dialogs;
}

Dialogs* ErrorGuard::dialogs()
{
    return current;
}

QString ErrorGuard::withFullStop(const QString& message)
{
    if (!message.isEmpty() && message.back() > u'.')
        return message + u'.';
    return message;
}

void ErrorGuard::report(const QString& message)
{
    const QString text = withFullStop(message);
    if (current)
        current->stop(text);
    else
        qWarning().noquote() << text;
}

void ErrorGuard::reportCurrentException()
{
    report(failureMessage(std::current_exception()));
}

bool ErrorGuard::guarded(const std::function<void()>& command)
{
    try {
        command();
        return true;
    } catch (const std::exception&) {
        reportCurrentException();
    }
    return false;
}

} // namespace kvilbro
