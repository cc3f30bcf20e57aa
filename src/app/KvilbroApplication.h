#pragma once

#include <QApplication>

namespace kvilbro {

// The application object. Its notify is the backstop of the error guard: an
// error that escapes an event handler is shown, and the program goes on.
class KvilbroApplication : public QApplication {
    Q_OBJECT

public:
    KvilbroApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // Fonts and style of the program's windows, the same on every desktop.
    static void setLook();
};

} // namespace kvilbro
