#include "KvilbroApplication.h"

#include "ErrorGuard.h"
#include "FocusStyle.h"

#include <QFont>

namespace kvilbro {

KvilbroApplication::KvilbroApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setLook();
}

void KvilbroApplication::setLook()
{
    QApplication::setStyle(new FocusStyle);
    // The windows are laid out in pixels; the text keeps its pixel size whatever
    // the desktop's font settings.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    QApplication::setFont(font);
}

bool KvilbroApplication::notify(QObject* receiver, QEvent* event)
{
    // Every event passes here, so no wrapper object is made for it.
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception&) {
        ErrorGuard::reportCurrentException();
    }
    return false;
}

} // namespace kvilbro
