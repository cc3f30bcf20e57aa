#pragma once

#include "Dialogs.h"

namespace kvilbro {

// The real dialogs, shown with Qt.
class QtDialogs : public Dialogs {
public:
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
    QWidget* owner() const;
};

} // namespace kvilbro
