#include "PendingRows.h"

#include "FailureMessage.h"
#include "TableView.h"

namespace kvilbro::pendingrows {

QString store(std::initializer_list<TableView*> views)
{
    try {
        for (TableView* view : views)
            view->finishPending();
    } catch (...) {
        return failureMessage(std::current_exception());
    }
    return QString();
}

void drop(std::initializer_list<TableView*> views)
{
    for (TableView* view : views) {
        try {
            view->cancel();
        } catch (...) {
            // Dropping only forgets the typed row; a failure here cannot lose stored data.
        }
    }
}

} // namespace kvilbro::pendingrows
