#include "Program.h"

#include "Database.h"
#include "Dialogs.h"
#include "Error.h"
#include "ErrorGuard.h"
#include "TAboutBox.h"
#include "TForm2.h"
#include "TForm6.h"

#include <QApplication>

#include <cstdio>

namespace kvilbro {

Program::Program(Dialogs& dialogs) : dialogs_(dialogs) {}

Program::~Program()
{
    about_.reset();
    viewer_.reset();
    form2_.reset();
    db_.reset();
}

bool Program::start()
{
    try {
        // 1. The main window, whose views open the tables.
        db_ = std::make_unique<Database>();
        form2_ = std::make_unique<TForm2>(*db_, dialogs_);
    } catch (const Error& e) {
        const QString text = e.kindName() + QStringLiteral(": ") + e.message();
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        dialogs_.fatal(text);
        return false;
    }
    form2_->FormCreate();
    // 2. The picture viewer.
    viewer_ = std::make_unique<TForm6>();
    form2_->setViewer(viewer_.get());
    // 3. The about box.
    about_ = std::make_unique<TAboutBox>(form2_.get());
    form2_->setAboutBox(about_.get());
    return true;
}

int Program::run()
{
    if (!start())
        return 1;
    return QApplication::exec();
}

} // namespace kvilbro
