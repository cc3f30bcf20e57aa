#pragma once

#include "Dialogs.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <optional>

namespace kvilbro::test {

// Dialogs answered from queues prepared by the test; every dialog shown is
// recorded with its kind, caption and text. Each answer names the dialog it
// is for (caption and prompt, question, or file dialog caption): a dialog
// that differs fails the running test, and so do answers still queued when
// the dialogs go away. A dialog without a queued answer is cancelled (and
// recorded), so a test never blocks.
class ScriptedDialogs : public Dialogs {
public:
    struct Shown {
        QString
            kind; // "input", "confirm", "message", "error", "stop", "okCancel", "open", "save", "printerSetup", "print"
        QString caption;
        QString text; // prompt, question or message
        QString defaultText;
    };

    ScriptedDialogs() = default;
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;
    ~ScriptedDialogs() override;

    // Answers, taken in order by the next dialog of the same kind.
    void answerInput(const QString& caption, const QString& prompt, const QString& text, bool ok = true)
    {
        inputs_.append({caption, prompt, {text, ok}});
    }
    void answerConfirm(const QString& question, bool yes)
    {
        confirms_.append({QStringLiteral("Information"), question, yes});
    }
    void answerOkCancel(const QString& question, bool ok)
    {
        okCancels_.append({QStringLiteral("Confirm"), question, ok});
    }
    void answerOpenFile(const QString& caption, const QString& path) { openFiles_.append({caption, {}, path}); }
    void answerSaveFile(const QString& caption, const QString& path) { saveFiles_.append({caption, {}, path}); }
    void answerPrinterSetup(bool ok) { printerSetups_.append({{}, {}, ok}); }
    void answerPrint(bool ok) { prints_.append({{}, {}, ok}); }

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
    template <typename T> struct Answer {
        QString caption;
        std::optional<QString> text; // unset: any (file dialogs show no prompt)
        T value;
    };
    // The next answer of a queue, after checking it was meant for this dialog.
    template <typename T> std::optional<T> take(QList<Answer<T>>& queue, const Shown& shown);

    QList<Shown> shown_;
    QList<Answer<InputAnswer>> inputs_;
    QList<Answer<bool>> confirms_;
    QList<Answer<bool>> okCancels_;
    QList<Answer<QString>> openFiles_;
    QList<Answer<QString>> saveFiles_;
    QList<Answer<bool>> printerSetups_;
    QList<Answer<bool>> prints_;
};

} // namespace kvilbro::test
