#pragma once

#include <QDateTime>
#include <QtGlobal>

#include <functional>

#include <memory>

class QTimer;

namespace kvilbro {

class Database;
class Dialogs;
class TAboutBox;
class TForm2;
class TForm6;
class TForm8;
class TQuickReport5;
class TQuickReport28;
class TForm4;
class TForm14;
class TerminationSignals;
class Error;

// Everything start-up builds, in the order it builds it; all of it lives until
// the program ends.
class Program {
public:
    explicit Program(Dialogs& dialogs);
    ~Program();

    // Builds the windows and runs the main window's creation routine. On a
    // table that cannot be opened it shows the fatal box (and writes the same
    // text to standard error) and returns false.
    bool start();
    // start(), then the event loop, then finish(); the exit code.
    int run();
    // After the last window closed: a backup of a collection that changed,
    // at most one a day, the last ten kept; one message if it fails.
    void finish();
    // The clock the daily backup goes by.
    void setClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }

    Database* database() const { return db_.get(); }
    TForm2* mainWindow() const { return form2_.get(); }
    TAboutBox* aboutBox() const { return about_.get(); }
    TForm6* viewer() const { return viewer_.get(); }
    TQuickReport5* markTypeList() const { return markTypeList_.get(); }
    TQuickReport28* combinedList() const { return combinedList_.get(); }
    TForm4* allInformationList() const { return allInformationList_.get(); }
    TForm14* pictureList() const { return pictureList_.get(); }
    TForm8* importWindow() const { return importWindow_.get(); }

    // How long after the last change the posted rows are moved into the table files.
    static constexpr int IdleCheckpointMs = 1000;

private:
    void checkpointWhenIdle();
    quint64 changes() const;
    // The fatal start-up box (and the same text on standard error); false.
    bool fail(const Error& e);

    Dialogs& dialogs_;
    std::unique_ptr<Database> db_;
    std::unique_ptr<TForm2> form2_;
    std::unique_ptr<TForm6> viewer_;
    std::unique_ptr<TAboutBox> about_;
    std::unique_ptr<TForm4> allInformationList_;
    std::unique_ptr<TQuickReport28> combinedList_;
    std::unique_ptr<TForm8> importWindow_;
    std::unique_ptr<TQuickReport5> markTypeList_;
    std::unique_ptr<TForm14> pictureList_;
    std::unique_ptr<QTimer> idle_;
    std::unique_ptr<TerminationSignals> termination_;
    quint64 checkpointedAt_ = 0;
    quint64 changesAtStart_ = 0;
    std::function<QDateTime()> clock_ = [] { return QDateTime::currentDateTime(); };
};

} // namespace kvilbro
