// The real print dialog, answered by its own OK button: what it gives back
// about the page range.
#include "QtDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QPrinter>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

using namespace kvilbro;

namespace {

// Accepts the modal dialog as soon as it shows, after `change` had its say.
void acceptWhenShown(std::function<void(QDialog&)> change = {})
{
    QTimer::singleShot(0, [change] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        if (change)
            change(*dialog);
        dialog->accept();
    });
}

} // namespace

class PrintDialogTest : public QObject {
    Q_OBJECT

private slots:
    void rangeAsReportsAskForIt_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("expectedFirst");
        QTest::addColumn<int>("expectedLast");
        // From page 1, last page open: it must stay open, or a later, longer
        // run would print only as many pages as this one had.
        QTest::newRow("open end stays open") << 1 << 0 << 1 << 0;
        QTest::newRow("closed range stays closed") << 1 << 2 << 1 << 2;
        QTest::newRow("open at both ends") << 0 << 0 << 0 << 0;
    }
    void rangeAsReportsAskForIt()
    {
        QFETCH(int, first);
        QFETCH(int, last);
        QtDialogs dialogs;
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        PrintDialogOptions options;
        options.firstPage = first;
        options.lastPage = last;
        options.maxPage = 3;
        acceptWhenShown();
        QVERIFY(dialogs.print(printer, options));
        QTEST(options.firstPage, "expectedFirst");
        QTEST(options.lastPage, "expectedLast");
    }

    void narrowedRangeIsKept()
    {
        QtDialogs dialogs;
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        PrintDialogOptions options;
        options.firstPage = 1;
        options.maxPage = 3;
        acceptWhenShown([](QDialog& dialog) {
            auto* to = dialog.findChild<QSpinBox*>(QStringLiteral("to"));
            QVERIFY(to);
            to->setValue(2);
        });
        QVERIFY(dialogs.print(printer, options));
        QCOMPARE(options.lastPage, 2);
    }
};

QTEST_MAIN(PrintDialogTest)
#include "tst_printdialog.moc"
