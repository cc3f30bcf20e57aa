#include "QtDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>

namespace kvilbro {

QString applicationTitle()
{
    const QString path = QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
    const QString name = QFileInfo(path).completeBaseName();
    return name.isEmpty() ? QStringLiteral("kvilbro") : name;
}

namespace {

int showBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text,
            const QList<QPair<QMessageBox::StandardButton, QString>>& buttons)
{
    QMessageBox box(icon, caption, text, QMessageBox::NoButton, parent);
    for (const auto& [button, label] : buttons)
        box.addButton(button)->setText(label);
    box.setDefaultButton(buttons.first().first);
    return box.exec();
}

// A name with a wildcard is no file name: like the system's own dialogs, this
// one takes it as the filter of its file list and stays open, so no file named
// "*.csv" is ever created or chosen.
class FileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        const QStringList files = selectedFiles();
        const QString typed = files.isEmpty() ? QString() : QFileInfo(files.first()).fileName();
        if (typed.contains(u'*') || typed.contains(u'?')) {
            useAsFilter(typed);
            // Selected, so that the name typed next replaces the pattern.
            if (auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                name->selectAll();
            return;
        }
        QFileDialog::accept();
    }

private:
    // A filter of the dialog's own with just these patterns is chosen; other patterns are added as a filter.
    void useAsFilter(const QString& patterns)
    {
        static const QRegularExpression inParentheses(QStringLiteral("\\(([^()]*)\\)\\s*$"));
        QStringList filters = nameFilters();
        for (const QString& filter : std::as_const(filters)) {
            const QRegularExpressionMatch m = inParentheses.match(filter);
            if (m.hasMatch() && m.captured(1).simplified() == patterns.simplified()) {
                selectNameFilter(filter);
                return;
            }
        }
        filters.removeAll(patterns);
        filters.prepend(patterns);
        setNameFilters(filters);
        selectNameFilter(patterns);
    }
};

QFileDialog* makeFileDialog(QWidget* parent, const FileDialogOptions& options)
{
    auto* dialog = new FileDialog(parent, options.caption, options.directory);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    if (!options.filters.isEmpty())
        dialog->setNameFilters(options.filters);
    if (!options.initialName.isEmpty())
        dialog->selectFile(options.initialName);
    if (!options.defaultSuffix.isEmpty())
        dialog->setDefaultSuffix(options.defaultSuffix);
    // A name typed without an extension takes the chosen filter's, so the
    // file is of the type the collector picked.
    QObject::connect(dialog, &QFileDialog::filterSelected, dialog, [dialog](const QString& filter) {
        static const QRegularExpression firstPattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)"));
        const QRegularExpressionMatch m = firstPattern.match(filter);
        if (m.hasMatch())
            dialog->setDefaultSuffix(m.captured(1));
    });
    dialog->setSizeGripEnabled(true);
    return dialog;
}

} // namespace

QWidget* QtDialogs::owner() const
{
    // A dialog belongs to the window the collector is working in, so that
    // window stays in front of the others (the import window over the main one).
    QWidget* active = QApplication::activeWindow();
    return active && active->isVisible() ? active : parentWidget();
}

InputAnswer QtDialogs::input(const QString& caption, const QString& prompt, const QString& defaultText)
{
    QInputDialog dialog(owner());
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Cancel"));
    if (dialog.exec() == QDialog::Accepted)
        return {dialog.textValue(), true};
    return {defaultText, false};
}

bool QtDialogs::confirm(const QString& question)
{
    return showBox(owner(), QMessageBox::Information, QStringLiteral("Information"), question,
                   {{QMessageBox::Yes, QStringLiteral("&Yes")}, {QMessageBox::No, QStringLiteral("&No")}}) ==
           QMessageBox::Yes;
}

void QtDialogs::message(const QString& text)
{
    showBox(owner(), QMessageBox::NoIcon, applicationTitle(), text, {{QMessageBox::Ok, QStringLiteral("OK")}});
}

void QtDialogs::error(const QString& text)
{
    showBox(owner(), QMessageBox::Critical, QStringLiteral("Error"), text, {{QMessageBox::Ok, QStringLiteral("OK")}});
}

void QtDialogs::stop(const QString& text)
{
    showBox(owner(), QMessageBox::Critical, applicationTitle(), text, {{QMessageBox::Ok, QStringLiteral("OK")}});
}

void QtDialogs::fatal(const QString& text)
{
    showBox(owner(), QMessageBox::Critical, QStringLiteral("Application Error"), text,
            {{QMessageBox::Ok, QStringLiteral("OK")}});
}

bool QtDialogs::okCancel(const QString& question)
{
    return showBox(owner(), QMessageBox::Question, QStringLiteral("Confirm"), question,
                   {{QMessageBox::Ok, QStringLiteral("OK")}, {QMessageBox::Cancel, QStringLiteral("Cancel")}}) ==
           QMessageBox::Ok;
}

QString QtDialogs::openFile(const FileDialogOptions& options)
{
    QFileDialog* dialog = makeFileDialog(owner(), options);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::AnyFile); // the file need not exist
    QString chosen;
    if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
        chosen = dialog->selectedFiles().first();
    delete dialog;
    return chosen;
}

QString QtDialogs::saveFile(const FileDialogOptions& options)
{
    QFileDialog* dialog = makeFileDialog(owner(), options);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, !options.confirmOverwrite);
    QString chosen;
    if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
        chosen = dialog->selectedFiles().first();
    delete dialog;
    return chosen;
}

bool QtDialogs::printerSetup(QPrinter& printer)
{
    QPrintDialog dialog(&printer, owner());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    // Setting up prints nothing: the dialog's own button would say "Print".
    dialog.setWindowTitle(QStringLiteral("Print Setup"));
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>()) {
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("OK"));
    }
    return dialog.exec() == QDialog::Accepted;
}

bool QtDialogs::print(QPrinter& printer, PrintDialogOptions& options)
{
    QPrintDialog dialog(&printer, owner());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, options.pageRange);
    if (options.maxPage > 0)
        dialog.setMinMax(1, options.maxPage);
    // The dialog only knows closed ranges; an open end is shown as today's last page.
    const int shownLast = options.lastPage > 0 ? options.lastPage : options.maxPage;
    if (options.firstPage > 0 || options.lastPage > 0) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(std::max(1, options.firstPage), shownLast);
    }
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (printer.printRange() == QPrinter::PageRange) {
        // An open end the collector left as shown stays open, so a later,
        // longer run still prints to its last page.
        const bool lastKeptOpen = options.lastPage == 0 && printer.toPage() == shownLast;
        options.firstPage = printer.fromPage();
        options.lastPage = lastKeptOpen ? 0 : printer.toPage();
    } else {
        options.firstPage = 0;
        options.lastPage = 0;
    }
    return true;
}

} // namespace kvilbro
