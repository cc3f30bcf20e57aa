#pragma once

#include "Dialogs.h"

#include <QStringList>

namespace kvilbro::bench {

// Dialogs answered without a person: input dialogs take the queued texts with
// "OK", confirmation boxes say "&Yes", everything else is cancelled.
class BenchDialogs : public Dialogs {
public:
    void answerInput(const QString& text) { inputs_ << text; }

    InputAnswer input(const QString& caption, const QString& prompt, const QString& defaultText) override;
    bool confirm(const QString& question) override;
    void message(const QString& text) override;
    void error(const QString& text) override;
    void stop(const QString& text) override;
    bool okCancel(const QString& question) override;
    QString openFile(const FileDialogOptions& options) override;
    QString saveFile(const FileDialogOptions& options) override;
    bool printerSetup(QPrinter& printer) override;
    bool print(QPrinter& printer, PrintDialogOptions& options) override;

    QStringList shownMessages;

private:
    QStringList inputs_;
};

} // namespace kvilbro::bench
