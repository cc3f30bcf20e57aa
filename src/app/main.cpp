#include "ErrorGuard.h"
#include "KvilbroApplication.h"
#include "Program.h"
#include "QtDialogs.h"

int main(int argc, char** argv)
{
    kvilbro::KvilbroApplication app(argc, argv);
    kvilbro::QtDialogs dialogs;
    kvilbro::ErrorGuard::setDialogs(&dialogs);
    kvilbro::Program program(dialogs);
    return program.run();
}
