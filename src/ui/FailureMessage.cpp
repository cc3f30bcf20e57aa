#include "FailureMessage.h"

#include "Error.h"

#include <new>

namespace kvilbro {

QString failureMessage(const std::exception_ptr& failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const Error& e) {
        return e.message();
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Der er ikke hukommelse nok");
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
    }
    return QStringLiteral("Ukendt fejl");
}

} // namespace kvilbro
