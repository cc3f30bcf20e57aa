#include "PendingRows.h"

#include "FailureMessage.h"
#include "TableView.h"

namespace kvilbro::pendingrows {

bool settle(std::initializer_list<TableView*> views, const std::function<bool(const QString& reason)>& dropIt)
{
    for (TableView* view : views) {
        QString failure;
        try {
            view->finishPending();
        } catch (...) {
            failure = failureMessage(std::current_exception());
        }
        if (failure.isEmpty())
            continue;
        // Asked outside the handler: the answer may take a modal dialog.
        if (!dropIt(failure))
            return false;
        try {
            view->cancel();
        } catch (...) {
            // Dropping only forgets the typed row; a failure here cannot lose stored data.
        }
    }
    return true;
}

} // namespace kvilbro::pendingrows
