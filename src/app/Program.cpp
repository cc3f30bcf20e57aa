#include "Program.h"

#include "CollectionBackup.h"
#include "Database.h"
#include "Dialogs.h"
#include "Error.h"
#include "ErrorGuard.h"
#include "Settings.h"
#include "StoreMessages.h"
#include "TAboutBox.h"
#include "TForm14.h"
#include "TForm2.h"
#include "TForm4.h"
#include "TForm6.h"
#include "TForm8.h"
#include "TQuickReport28.h"
#include "TQuickReport5.h"
#include "TerminationSignals.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QTimer>

#include <cstdio>

namespace kvilbro {

Program::Program(Dialogs& dialogs) : dialogs_(dialogs) {}

Program::~Program()
{
    termination_.reset();
    idle_.reset();
    pictureList_.reset();
    markTypeList_.reset();
    importWindow_.reset();
    combinedList_.reset();
    allInformationList_.reset();
    about_.reset();
    viewer_.reset();
    form2_.reset();
    db_.reset();
}

bool Program::fail(const Error& e)
{
    const QString text = e.kindName() + QStringLiteral(": ") + e.message();
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    dialogs_.fatal(text);
    return false;
}

bool Program::start()
{
    try {
        // 1. The main window, whose views open the tables.
        db_ = std::make_unique<Database>();
        form2_ = std::make_unique<TForm2>(*db_, dialogs_);
    } catch (const Error& e) {
        return fail(e);
    }
    form2_->FormCreate();
    // 2. The picture viewer.
    viewer_ = std::make_unique<TForm6>();
    form2_->setViewer(viewer_.get());
    // 3. The about box.
    about_ = std::make_unique<TAboutBox>(form2_.get());
    form2_->setAboutBox(about_.get());
    // 4 to 8: the want lists, each with its own views, and the mass import.
    const auto shortfallsOnly = [this] { return form2_->CheckBox1->isChecked(); };
    try {
        allInformationList_ = std::make_unique<TForm4>(*db_, dialogs_);
        combinedList_ = std::make_unique<TQuickReport28>(*db_, dialogs_);
        importWindow_ = std::make_unique<TForm8>(*form2_->Table2, dialogs_, form2_->printer());
        markTypeList_ = std::make_unique<TQuickReport5>(*db_, dialogs_, shortfallsOnly);
        pictureList_ =
            std::make_unique<TForm14>(*db_, dialogs_, shortfallsOnly, [] { return Settings::current().reportPicture; });
    } catch (const Error& e) {
        return fail(e);
    }
    form2_->setAllInformationList(allInformationList_.get());
    form2_->setCombinedList(combinedList_.get());
    form2_->setMarkTypeList(markTypeList_.get());
    form2_->setPictureList(pictureList_.get());
    form2_->setImportWindow(importWindow_.get());
    importWindow_->setBusyHandler([this](bool busy) { form2_->setGridsSuspended(busy); });
    if (db_->isReadOnly())
        dialogs_.message(storemessages::readOnlyCollection(QDir::toNativeSeparators(db_->folder())));
    // Posted rows reach the table files themselves soon after the collector
    // stops, so the three files alone always hold the collection.
    idle_ = std::make_unique<QTimer>();
    idle_->setInterval(IdleCheckpointMs);
    QObject::connect(idle_.get(), &QTimer::timeout, idle_.get(), [this] { checkpointWhenIdle(); });
    idle_->start();
    changesAtStart_ = changes();
    termination_ = std::make_unique<TerminationSignals>();
    QObject::connect(termination_.get(), &TerminationSignals::arrived, form2_.get(), &TForm2::endSession);
    return true;
}

quint64 Program::changes() const
{
    quint64 count = 0;
    for (TableId table : {TableId::Areas, TableId::Numbers, TableId::Collector})
        count += db_->changeCount(table);
    return count;
}

void Program::checkpointWhenIdle()
{
    const quint64 count = changes();
    if (count == checkpointedAt_ || QApplication::activeModalWidget())
        return;
    db_->checkpoint();
    checkpointedAt_ = count;
}

void Program::finish()
{
    if (!db_ || db_->isReadOnly() || changes() == changesAtStart_)
        return;
    const QDateTime now = clock_();
    const QString destination = backup::defaultDestination(db_->folder());
    try {
        if (backup::madeOn(destination, now.date()))
            return;
        db_->checkpoint();
        const backup::Made made =
            backup::make(db_->folder(), destination, backup::DefaultKeep, false, now, backup::Maker::Daily);
        if (!made.notRemoved.isEmpty())
            dialogs_.message(
                QStringLiteral("Dagens sikkerhedskopi er lavet, men den ældre sikkerhedskopi %1 kunne ikke "
                               "fjernes.")
                    .arg(QDir::toNativeSeparators(made.notRemoved.join(QStringLiteral(", ")))));
    } catch (const Error& e) {
        // Said once; the program ends all the same.
        dialogs_.message(QStringLiteral("Dagens sikkerhedskopi af samlingen kunne ikke laves: %1").arg(e.message()));
    }
}

int Program::run()
{
    if (!start())
        return 1;
    const int code = QApplication::exec();
    finish();
    return code;
}

} // namespace kvilbro
