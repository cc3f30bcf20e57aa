// The real dialogs, shown offscreen and answered by their own buttons: their
// captions, icons and button texts, and what they give back.
#include "QtDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace kvilbro;

namespace {

// Runs `answer` on the modal dialog once it shows.
void whenShown(std::function<void(QWidget&)> answer)
{
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        answer(*modal);
    });
    poll->start();
}

QAbstractButton* buttonCalled(QWidget& dialog, const QString& text)
{
    for (QAbstractButton* b : dialog.findChildren<QAbstractButton*>()) {
        if (b->text() == text && b->isVisible())
            return b;
    }
    return nullptr;
}

struct BoxSeen {
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

// Notes what the box shows, then clicks the button with `click` on it.
void answerBox(BoxSeen& seen, const QString& click)
{
    whenShown([&seen, click](QWidget& w) {
        auto* box = qobject_cast<QMessageBox*>(&w);
        QVERIFY(box);
        seen.caption = box->windowTitle();
        seen.icon = box->icon();
        for (QAbstractButton* b : box->buttons())
            seen.buttons << b->text();
        QAbstractButton* button = buttonCalled(w, click);
        QVERIFY(button);
        button->click();
    });
}

} // namespace

class QtDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void boxes_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("click");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<bool>("result");
        const QString title = applicationTitle();
        QTest::newRow("confirm, yes") << "confirm"
                                      << "&Yes"
                                      << "Information" << int(QMessageBox::Information) << QStringList{"&Yes", "&No"}
                                      << true;
        QTest::newRow("confirm, no") << "confirm"
                                     << "&No"
                                     << "Information" << int(QMessageBox::Information) << QStringList{"&Yes", "&No"}
                                     << false;
        QTest::newRow("ok or cancel, ok")
            << "okCancel"
            << "OK"
            << "Confirm" << int(QMessageBox::Question) << QStringList{"OK", "Cancel"} << true;
        QTest::newRow("ok or cancel, cancel")
            << "okCancel"
            << "Cancel"
            << "Confirm" << int(QMessageBox::Question) << QStringList{"OK", "Cancel"} << false;
        QTest::newRow("message") << "message"
                                 << "OK" << title << int(QMessageBox::NoIcon) << QStringList{"OK"} << false;
        QTest::newRow("error") << "error"
                               << "OK"
                               << "Error" << int(QMessageBox::Critical) << QStringList{"OK"} << false;
        QTest::newRow("stop") << "stop"
                              << "OK" << title << int(QMessageBox::Critical) << QStringList{"OK"} << false;
        QTest::newRow("fatal") << "fatal"
                               << "OK"
                               << "Application Error" << int(QMessageBox::Critical) << QStringList{"OK"} << false;
    }
    void boxes()
    {
        QFETCH(QString, kind);
        QFETCH(QString, click);
        QtDialogs dialogs;
        BoxSeen seen;
        answerBox(seen, click);
        const QString text = "Slet disse katalognumre ?";
        bool result = false;
        if (kind == "confirm")
            result = dialogs.confirm(text);
        else if (kind == "okCancel")
            result = dialogs.okCancel(text);
        else if (kind == "message")
            dialogs.message(text);
        else if (kind == "error")
            dialogs.error(text);
        else if (kind == "stop")
            dialogs.stop(text);
        else
            dialogs.fatal(text);
        QTEST(seen.caption, "caption");
        QTEST(int(seen.icon), "icon");
        QTEST(seen.buttons, "buttons");
        QTEST(result, "result");
    }

    void input_data()
    {
        QTest::addColumn<QString>("click");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << "OK"
                            << "25" << true;
        QTest::newRow("Cancel gives the default back") << "Cancel"
                                                       << "0" << false;
    }
    void input()
    {
        QFETCH(QString, click);
        QtDialogs dialogs;
        QString caption, prompt, shownDefault;
        whenShown([&](QWidget& w) {
            auto* dialog = qobject_cast<QInputDialog*>(&w);
            QVERIFY(dialog);
            caption = dialog->windowTitle();
            prompt = dialog->labelText();
            shownDefault = dialog->textValue();
            dialog->findChild<QLineEdit*>()->setText("25");
            QAbstractButton* button = buttonCalled(w, click);
            QVERIFY(button);
            button->click();
        });
        const InputAnswer answer = dialogs.input("Hvor mange numre skal tilføjes ?", "Antal", "0");
        QCOMPARE(caption, QString("Hvor mange numre skal tilføjes ?"));
        QCOMPARE(prompt, QString("Antal"));
        QCOMPARE(shownDefault, QString("0"));
        QTEST(answer.text, "text");
        QTEST(answer.ok, "ok");
    }

    // A name typed without an extension gets the default one; the dialog starts
    // in the folder and with the name it was given.
    void saveAddsTheDefaultSuffix()
    {
        QTemporaryDir dir;
        QtDialogs dialogs;
        FileDialogOptions options;
        options.caption = "Save file as";
        options.directory = dir.path();
        options.initialName = "*.csv";
        options.defaultSuffix = "csv";
        QString caption;
        whenShown([&](QWidget& w) {
            auto* dialog = qobject_cast<QFileDialog*>(&w);
            QVERIFY(dialog);
            caption = dialog->windowTitle();
            QCOMPARE(QDir(dialog->directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
            dialog->selectFile("mancoliste");
            static_cast<QDialog*>(dialog)->accept();
        });
        const QString chosen = dialogs.saveFile(options);
        QCOMPARE(caption, QString("Save file as"));
        QCOMPARE(QFileInfo(chosen).fileName(), QString("mancoliste.csv"));
    }

    // The chosen filter decides the type of a name typed without an
    // extension, and only a dialog that asks for it confirms replacing a file.
    void saveFollowsTheChosenFilter_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("asks before replacing") << true;
        QTest::newRow("replaces without asking") << false;
    }
    void saveFollowsTheChosenFilter()
    {
        QFETCH(bool, confirm);
        QTemporaryDir dir;
        QtDialogs dialogs;
        FileDialogOptions options;
        options.caption = "Gem rapport";
        options.directory = dir.path();
        options.filters = {"Rapportfil (*.kvr)", "PDF-fil (*.pdf)", "Tekstfil (*.txt)"};
        options.defaultSuffix = "kvr";
        options.confirmOverwrite = confirm;
        bool asks = false;
        whenShown([&](QWidget& w) {
            auto* dialog = qobject_cast<QFileDialog*>(&w);
            QVERIFY(dialog);
            asks = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            QVERIFY(types);
            types->setCurrentIndex(2);
            emit types->activated(2); // as a click on it does, both
            emit types->textActivated(types->itemText(2));
            dialog->selectFile("liste");
            static_cast<QDialog*>(dialog)->accept();
        });
        QCOMPARE(QFileInfo(dialogs.saveFile(options)).fileName(), QString("liste.txt"));
        QCOMPARE(asks, confirm);
    }

    // Enter on a name with a wildcard (the preset "*.csv") filters the list and
    // keeps the dialog open; only a real name is given back.
    void wildcardNameFiltersTheList_data()
    {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("filter");
        const QString own = "Kommasepareret fil (CSV) (*.csv)";
        QTest::newRow("save, the preset") << true << "*.csv" << own;
        QTest::newRow("open, the preset") << false << "*.csv" << own;
        QTest::newRow("save, a pattern of its own") << true << "*.txt"
                                                    << "*.txt";
    }
    void wildcardNameFiltersTheList()
    {
        QFETCH(bool, save);
        QFETCH(QString, typed);
        QTemporaryDir dir;
        QtDialogs dialogs;
        FileDialogOptions options;
        options.caption = "Save file as";
        options.directory = dir.path();
        options.initialName = "*.csv";
        options.filters = {"Kommasepareret fil (CSV) (*.csv)"};
        options.defaultSuffix = "csv";
        bool stayedOpen = false;
        QString filter;
        whenShown([&](QWidget& w) {
            auto* dialog = qobject_cast<QFileDialog*>(&w);
            QVERIFY(dialog);
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            QCOMPARE(name->text(), QString("*.csv"));
            name->setText(typed);
            QTest::keyClick(name, Qt::Key_Return);
            stayedOpen = dialog->isVisible();
            filter = dialog->selectedNameFilter();
            // The pattern stays selected, so the name typed next replaces it.
            QCOMPARE(name->selectedText(), typed);
            QTest::keyClicks(name, "liste");
            QTest::keyClick(name, Qt::Key_Return);
        });
        const QString chosen = save ? dialogs.saveFile(options) : dialogs.openFile(options);
        QVERIFY(stayedOpen);
        QTEST(filter, "filter");
        QCOMPARE(QFileInfo(chosen).fileName(), QString("liste.csv"));
        QVERIFY(!QFileInfo::exists(dir.filePath("*.csv")));
    }

    // A box belongs to the window in front, so that window is not pushed
    // behind the main window; with none active, to the main window.
    void aBoxBelongsToTheActiveWindow()
    {
        QWidget main;
        QWidget other;
        main.show();
        other.show();
        QtDialogs dialogs;
        dialogs.setParentWidget(&main);
        for (QWidget* active : {&other, &main}) {
            active->activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), active);
            QWidget* owner = nullptr;
            whenShown([&owner](QWidget& box) {
                owner = box.parentWidget();
                buttonCalled(box, "OK")->click();
            });
            dialogs.message("besked");
            QCOMPARE(owner, active);
        }
    }

    void openCancelledGivesNothing()
    {
        QtDialogs dialogs;
        whenShown([](QWidget& w) { qobject_cast<QDialog*>(&w)->reject(); });
        QVERIFY(dialogs.openFile({}).isEmpty());
    }

    void printRange_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("narrowTo");
        QTest::addColumn<int>("expectedFirst");
        QTest::addColumn<int>("expectedLast");
        // From page 1, last page open: it must stay open, or a later, longer
        // run would print only as many pages as this one had.
        QTest::newRow("open end stays open") << 1 << 0 << 0 << 1 << 0;
        QTest::newRow("closed range stays closed") << 1 << 2 << 0 << 1 << 2;
        QTest::newRow("open at both ends") << 0 << 0 << 0 << 0 << 0;
        QTest::newRow("narrowed by the collector") << 1 << 0 << 2 << 1 << 2;
    }
    // Choosing a printer prints nothing, so its dialog does not offer to.
    void printerSetupSaysOK()
    {
        QtDialogs dialogs;
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        QString title;
        QAbstractButton* print = nullptr;
        QAbstractButton* ok = nullptr;
        whenShown([&](QWidget& w) {
            title = w.windowTitle();
            print = buttonCalled(w, "&Print");
            ok = buttonCalled(w, "OK");
            qobject_cast<QDialog*>(&w)->reject();
        });
        QVERIFY(!dialogs.printerSetup(printer));
        QCOMPARE(title, QString("Print Setup"));
        QVERIFY(ok);
        QVERIFY(!print);
    }

    void printRange()
    {
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(int, narrowTo);
        QtDialogs dialogs;
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        PrintDialogOptions options;
        options.firstPage = first;
        options.lastPage = last;
        options.maxPage = 3;
        whenShown([narrowTo](QWidget& w) {
            if (narrowTo > 0) {
                auto* to = w.findChild<QSpinBox*>(QStringLiteral("to"));
                QVERIFY(to);
                to->setValue(narrowTo);
            }
            qobject_cast<QDialog*>(&w)->accept();
        });
        QVERIFY(dialogs.print(printer, options));
        QTEST(options.firstPage, "expectedFirst");
        QTEST(options.lastPage, "expectedLast");
    }
};

QTEST_MAIN(QtDialogsTest)
#include "tst_qtdialogs.moc"
