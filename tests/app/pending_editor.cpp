// The real program started on the collection folder given, with a changed,
// unposted remark on the first number; "box" also leaves a message box open.
// It says "ready" on standard output and then runs until it is ended. Used by
// the test of how the program ends at logout.
#include "ErrorGuard.h"
#include "KvilbroApplication.h"
#include "Program.h"
#include "QtDialogs.h"
#include "TForm2.h"
#include "TableView.h"

#include <QDir>
#include <QTimer>

#include <cstdio>

using namespace kvilbro;

namespace {
void sayReady()
{
    std::printf("ready\n");
    std::fflush(stdout);
}
} // namespace

int main(int argc, char** argv)
{
    KvilbroApplication app(argc, argv);
    if (argc != 3)
        return 2;
    QDir::setCurrent(QString::fromLocal8Bit(argv[1]));
    const bool boxOpen = qstrcmp(argv[2], "box") == 0;
    // The real dialogs, as in the program: one shown while it ends would
    // wait for an answer nobody gives.
    QtDialogs dialogs;
    ErrorGuard::setDialogs(&dialogs);
    Program program(dialogs);
    QTimer::singleShot(0, &app, [&program, &dialogs, boxOpen] {
        TableView& numbers = *program.mainWindow()->Table2;
        numbers.edit();
        numbers.setText(u"Bemærkning", QStringLiteral("skrevet lige før logud"));
        if (!boxOpen) {
            sayReady();
            return;
        }
        QTimer::singleShot(0, &sayReady);
        dialogs.message(QStringLiteral("En besked står åben"));
    });
    return program.run();
}
