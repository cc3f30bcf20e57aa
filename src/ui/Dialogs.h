#pragma once

#include <QString>
#include <QStringList>

class QPrinter;
class QWidget;

namespace kvilbro {

struct InputAnswer {
    QString text; // the edited text after OK, the default after Cancel
    bool ok = false;
};

struct FileDialogOptions {
    QString caption;
    QStringList filters;          // "Billedfiler (*.jpg *.bmp)"
    QString initialName;          // file name shown at the start
    QString directory;            // folder shown at the start
    QString defaultSuffix;        // added to a name typed without one; a chosen filter's own wins
    bool confirmOverwrite = true; // save: ask before an existing file is replaced
};

struct PrintDialogOptions {
    bool pageRange = true; // let the collector choose pages
    int firstPage = 0;     // 0: open at that end
    int lastPage = 0;
    int maxPage = 0;
};

// Every modal dialog of the program goes through this interface, so that
// tests can answer them without a person (see ScriptedDialogs in the tests).
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Input dialog: caption, prompt above a one-line field, "OK" and "Cancel".
    virtual InputAnswer input(const QString& caption, const QString& prompt, const QString& defaultText) = 0;
    // Confirmation box: caption "Information", information icon, "&Yes" and "&No".
    virtual bool confirm(const QString& question) = 0;
    // Message box: the program's title, no icon, "OK".
    virtual void message(const QString& text) = 0;
    // Error box: caption "Error", error icon, "OK".
    virtual void error(const QString& text) = 0;
    // The general error handler's box: the program's title, stop icon, "OK".
    // The text arrives with its full stop already settled.
    virtual void stop(const QString& text) = 0;
    // A question with "OK" and "Cancel" ("Delete record?").
    virtual bool okCancel(const QString& question) = 0;
    // Open and save file dialogs; an empty result means cancelled.
    virtual QString openFile(const FileDialogOptions& options) = 0;
    virtual QString saveFile(const FileDialogOptions& options) = 0;
    // Printer set-up and print dialogs on `printer`; false when cancelled.
    virtual bool printerSetup(QPrinter& printer) = 0;
    virtual bool print(QPrinter& printer, PrintDialogOptions& options) = 0;
    // The fatal start-up box, captioned "Application Error".
    virtual void fatal(const QString& text) { error(text); }

    // The window that owns the dialogs; may be null.
    void setParentWidget(QWidget* parent) { parent_ = parent; }
    QWidget* parentWidget() const { return parent_; }

private:
    QWidget* parent_ = nullptr;
};

// The program's title: the program file's name without its extension.
QString applicationTitle();

} // namespace kvilbro
