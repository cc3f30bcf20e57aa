#include "ErrorGuard.h"

#include "Dialogs.h"
#include "Error.h"

#include <QDebug>

#include <exception>
#include <new>

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
    try {
        throw;
    } catch (const Error& e) {
        report(e.message());
    } catch (const std::bad_alloc&) {
        report(QStringLiteral("Out of memory"));
    } catch (const std::exception& e) {
        report(QString::fromUtf8(e.what()));
    }
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
