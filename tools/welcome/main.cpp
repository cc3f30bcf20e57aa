// kvilbro-welcome FOLDER: asks a new collector for name and address and
// writes them into the collection just made in FOLDER. The desktop launcher
// runs it once, on the first start.
#include "WelcomeDialog.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 2)
        return 2;
    kvilbro::WelcomeDialog dialog(args[1]);
    dialog.exec();
    return 0;
}
