#pragma once

#include "Dialogs.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace kvilbro::test {

// Dialogs answered from a queue prepared by the test; every dialog shown is
// recorded with its kind, caption and text. A dialog without a queued answer
// is cancelled (and recorded), so a test never blocks.
class ScriptedDialogs : public Dialogs {
public:
    struct Shown {
        QString
            kind; // "input", "confirm", "message", "error", "stop", "okCancel", "open", "save", "printerSetup", "print"
        QString caption;
        QString text; // prompt, question or message
        QString defaultText;
    };

    // Answers, taken in order by the next dialog of the same kind.
    void answerInput(const QString& text, bool ok = true) { inputs_.append({text, ok}); }
    void answerConfirm(bool yes) { confirms_.append(yes); }
    void answerOkCancel(bool ok) { okCancels_.append(ok); }
    void answerOpenFile(const QString& path) { openFiles_.append(path); }
    void answerSaveFile(const QString& path) { saveFiles_.append(path); }
    void answerPrint(bool ok) { prints_.append(ok); }

    const QList<Shown>& shown() const { return shown_; }
    QList<Shown> shownOf(const QString& kind) const;
    // The texts of the message, error and stop boxes shown, in order.
    QStringList messages() const;
    void clear() { shown_.clear(); }
    // Queued answers nobody asked for.
    int unusedAnswers() const;
    // Options passed to the last open or save dialog.
    FileDialogOptions lastFileOptions;

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
    void fatal(const QString& text) override;

private:
    QList<Shown> shown_;
    QList<InputAnswer> inputs_;
    QList<bool> confirms_;
    QList<bool> okCancels_;
    QStringList openFiles_;
    QStringList saveFiles_;
    QList<bool> prints_;
};

} // namespace kvilbro::test
