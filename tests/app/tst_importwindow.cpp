// The mass import window in the running program: opened from the menu, its
// layout, folders by keyboard, the selection it imports, what it keeps
// between showings, printing, and failures shown by the error handler.
#include "MainWindowFixture.h"

#include "DBGrid.h"
#include "DirectoryTree.h"
#include "PictureFileList.h"
#include "PictureImport.h"
#include "TForm8.h"
#include "TableView.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QListView>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>

using namespace kvilbro;
using namespace kvilbro::test;

namespace {

const QStringList Pictures{"1.jpg", "2.jpg", "3.bmp", "7a.jpg", "9.jpg"};

// The sample collection with a folder "billeder" of pictures beside the tables.
void fillWithPictures(Collection& c)
{
    fillSample(c);
    QDir(c.path()).mkdir("billeder");
    for (const QString& name : Pictures + QStringList{"noter.txt"}) {
        QFile f(c.path() + "/billeder/" + name);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot create %s", qPrintable(name));
    }
}

TForm8& shownImport(MainWindowFixture& f)
{
    f.window().menuAction("yClick")->trigger();
    TForm8* w = f.program().importWindow();
    if (!QTest::qWaitForWindowExposed(w))
        qFatal("the import window did not appear");
    return *w;
}

void openByKeyboard(TForm8& w, const QString& name)
{
    DirectoryTree* tree = w.DirectoryListBox1;
    QTreeWidgetItem* open = tree->currentItem();
    QTreeWidgetItem* child = nullptr;
    for (int i = 0; i < open->childCount() && !child; ++i) {
        if (open->child(i)->text(0) == name)
            child = open->child(i);
    }
    QVERIFY2(child, qPrintable(name));
    tree->setFocus();
    tree->setCurrentItem(child);
    QTest::keyClick(tree, Qt::Key_Return);
}

void clickRow(QListView* list, int row, Qt::KeyboardModifiers modifiers = {})
{
    const QRect rect = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, rect.center());
}

QStringList listed(const TForm8& w)
{
    QStringList names;
    for (int row = 0; row < w.FileListBox1->model()->rowCount(); ++row)
        names << w.FileListBox1->model()->index(row, 0).data().toString();
    return names;
}

int pdfPageCount(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const auto match = QRegularExpression(QStringLiteral("/Count (\\d+)")).match(QString::fromLatin1(f.readAll()));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

} // namespace

class ImportWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { pinEnvironment(); }

    void opensFromTheMenuLaidOutAsDesigned()
    {
        MainWindowFixture f(fillWithPictures);
        TForm8* w = f.program().importWindow();
        QVERIFY(w->isHidden());
        TForm8& shown = shownImport(f);
        QCOMPARE(&shown, w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Indlæs billeder"));
        QCOMPARE(w->frameGeometry().size(), QSize(882, 480));

        QCOMPARE(w->DriveComboBox1->pos(), QPoint(152, 8));
        QCOMPARE(w->DriveComboBox1->width(), 113);
        const QList<std::tuple<QPushButton*, QString, QRect>> buttons{
            {w->Button1, "&Indlæs billeder", {272, 8, 97, 25}},
            {w->Button2, "&Afslut", {376, 8, 91, 25}},
            {w->Button3, "&Udskriv", {480, 8, 75, 25}},
        };
        for (const auto& [button, caption, geometry] : buttons) {
            QCOMPARE(button->text(), caption);
            QCOMPARE(button->geometry(), geometry);
        }
        const QList<std::tuple<QLabel*, QString, QPoint>> labels{
            {w->Label2, "Find bibliotek hvor filerne ligger", {8, 40}},
            {w->Label3, "Vælg de numre du vil indlæse automatisk", {184, 40}},
            {w->Label1, "Billeder som ikke kunne indlæses automatisk", {384, 40}},
        };
        for (const auto& [label, text, at] : labels) {
            QCOMPARE(label->text(), text);
            QCOMPARE(label->pos(), at);
        }
        QCOMPARE(w->findChild<QFrame*>("Panel1")->geometry(), QRect(0, 0, w->width(), 57));
        QCOMPARE(w->RichEdit1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(w->RichEdit1->lineWrapMode(), QTextEdit::WidgetWidth);
        QVERIFY(!w->RichEdit1->isReadOnly());
        QCOMPARE(w->FileListBox1->selectionMode(), QAbstractItemView::ExtendedSelection);

        // Resizing widens the file list only.
        for (const QSize size : {QSize(882, 480), QSize(1100, 600)}) {
            w->resize(size);
            QTest::qWait(0);
            const QFrame* panel3 = w->findChild<QFrame*>("Panel3");
            const QFrame* panel4 = w->findChild<QFrame*>("Panel4");
            QCOMPARE(panel3->geometry(), QRect(0, 57, 185, size.height() - 57));
            QCOMPARE(panel4->geometry(), QRect(size.width() - 522, 57, 522, size.height() - 57));
        }

        // Asked again, the same window comes to the front.
        f.window().menuAction("yClick")->trigger();
        QVERIFY(w->isVisible());
        QCOMPARE(f.program().mainWindow()->findChildren<TForm8*>().size(), 0);
    }

    void startsInTheWorkingFolderAndOpensFoldersByKeyboard()
    {
        MainWindowFixture f(fillWithPictures);
        TForm8& w = shownImport(f);
        const QString start = f.collection().path();
        QCOMPARE(w.DirectoryListBox1->openFolder(), start);
        QCOMPARE(w.DriveComboBox1->currentText(), QDir::toNativeSeparators(w.DirectoryListBox1->drive()));
        QCOMPARE(listed(w), PictureFileList::pictureNames(start));
        QVERIFY(!listed(w).contains("1.jpg"));

        openByKeyboard(w, "billeder");
        QCOMPARE(QDir::currentPath(), start + "/billeder");
        QCOMPARE(w.DirectoryListBox1->openFolder(), start + "/billeder");
        QCOMPARE(listed(w), Pictures);
    }

    void importsEverySelectedFileAndTheGridShowsThePaths()
    {
        MainWindowFixture f(fillWithPictures);
        TForm8& w = shownImport(f);
        openByKeyboard(w, "billeder");
        const QString folder = f.collection().path() + "/billeder";
        // Selected from the bottom up: the focus ends on the top entry.
        clickRow(w.FileListBox1, 4);
        clickRow(w.FileListBox1, 0, Qt::ShiftModifier);
        QCOMPARE(w.FileListBox1->currentIndex().row(), 0);
        QTest::mouseClick(w.Button1, Qt::LeftButton);

        Collection& c = f.collection();
        QCOMPARE(c.count("stm2manc", "Billede IS NOT NULL"), 4);
        QCOMPARE(c.scalar("SELECT Billede FROM stm2manc WHERE Nummer = 7 AND Type = 'a'").toString(),
                 folder + "/7a.jpg");
        QCOMPARE(w.RichEdit1->toPlainText(), PictureImport::readReport(folder + "/Fejl.txt").replace("\r\n", "\n"));
        QVERIFY(w.RichEdit1->toPlainText().contains(folder + "/9.jpg\n"));
        QVERIFY(f.dialogs.shown().isEmpty());

        // The main window stands on the last number that got a picture and shows the paths.
        TForm2& main = f.window();
        QCOMPARE(main.Table2->asText(u"Nummer"), QString("7"));
        QCOMPARE(main.Table2->asText(u"Type"), QString("a"));
        const QAbstractItemModel* grid = main.DBGrid2->model();
        int column = -1;
        for (int i = 0; i < grid->columnCount(); ++i) {
            if (grid->headerData(i, Qt::Horizontal).toString() == "Billede")
                column = i;
        }
        QVERIFY(column >= 0);
        QCOMPARE(grid->index(0, column).data().toString(), folder + "/1.jpg");
    }

    void keepsItsStateBetweenShowingsAndAfslutEmptiesTheDisplay()
    {
        MainWindowFixture f(fillWithPictures);
        TForm8& w = shownImport(f);
        const QRect available = w.screen()->availableGeometry();
        // Within the offscreen platform's own two-pixel frame; the desktop
        // check measures the real window manager's.
        QVERIFY(qAbs(w.frameGeometry().center().x() - available.center().x()) <= 2);
        QVERIFY(qAbs(w.frameGeometry().center().y() - available.center().y()) <= 2);
        openByKeyboard(w, "billeder");
        clickRow(w.FileListBox1, 1);
        w.Button1->click();
        const QString report = w.RichEdit1->toPlainText();
        QVERIFY(report.contains("Alle billeder blev indlæst korrekt !"));
        w.move(10, 10);

        // Closed by its close button, it keeps everything and opens where it was.
        w.close();
        QVERIFY(w.isHidden());
        shownImport(f);
        QCOMPARE(w.pos(), QPoint(10, 10));
        QCOMPARE(w.RichEdit1->toPlainText(), report);
        QCOMPARE(listed(w), Pictures);
        QCOMPARE(w.FileListBox1->selectionModel()->selectedRows().size(), 1);

        QTest::mouseClick(w.Button2, Qt::LeftButton);
        QVERIFY(w.isHidden());
        QVERIFY(w.RichEdit1->toPlainText().isEmpty());
    }

    void printsTheDisplayOverItsPagesWithoutMargins()
    {
        MainWindowFixture f(fillWithPictures);
        TForm8& w = shownImport(f);
        QTemporaryDir out;
        QPrinter& printer = f.window().printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(out.filePath("fejl.pdf"));

        QStringList lines;
        for (int i = 0; i < 400; ++i)
            lines << QString("Linje %1 af den fejlliste der skal over flere sider").arg(i);
        w.RichEdit1->setPlainText(lines.join('\n'));

        f.dialogs.answerPrint(false);
        w.Button3->click();
        QVERIFY(!QFile::exists(out.filePath("fejl.pdf")));

        f.dialogs.answerPrint(true);
        w.Button3->click();
        QCOMPARE(printer.docName(), QStringLiteral("Fejl.Txt"));
        const auto document = TForm8::printable(*w.RichEdit1->document(), printer);
        QCOMPARE(document->pageSize(), QSizeF(printer.pageRect(QPrinter::DevicePixel).size()));
        QCOMPARE(document->documentMargin(), 0.0);
        QVERIFY(document->pageCount() > 1);
        QCOMPARE(pdfPageCount(out.filePath("fejl.pdf")), document->pageCount());
        // The display itself is left as the collector sees it.
        QVERIFY(w.RichEdit1->document()->documentMargin() > 0);
    }

    void failuresReachTheErrorHandler()
    {
        MainWindowFixture f(fillWithPictures);
        TForm8& w = shownImport(f);
        openByKeyboard(w, "billeder");
        const QString folder = f.collection().path() + "/billeder";
        w.RichEdit1->setPlainText("tidligere liste");
        QVERIFY(QDir(folder).mkdir("Fejl.txt"));
        clickRow(w.FileListBox1, 0);
        w.Button1->click();
        QCOMPARE(f.dialogs.messages().size(), 1);
        QVERIFY2(f.dialogs.messages().first().startsWith("Filen " + folder + "/Fejl.txt kan ikke skrives: "),
                 qPrintable(f.dialogs.messages().first()));
        QCOMPARE(f.collection().count("stm2manc", "Billede IS NOT NULL"), 0);
        QCOMPARE(w.RichEdit1->toPlainText(), QString("tidligere liste"));
    }

    void picturesBeyondTheFieldAreSaidAfterTheImport()
    {
        MainWindowFixture f(fillWithPictures);
        TForm8& w = shownImport(f);
        const QString deep = f.collection().path() + "/" + QString(80, u'd');
        QVERIFY(QDir().mkpath(deep));
        QFile::copy(f.collection().path() + "/billeder/1.jpg", deep + "/1.jpg");
        QFile::copy(f.collection().path() + "/billeder/2.jpg", deep + "/2.jpg");
        w.openFolder(deep);
        w.FileListBox1->selectAll();
        w.Button1->click();
        QCOMPARE(f.collection().count("stm2manc", "Billede IS NOT NULL"), 0);
        QCOMPARE(f.dialogs.messages().size(), 1);
        QVERIFY(f.dialogs.messages().first().startsWith("2 billeder blev ikke indlæst, fordi deres fulde sti er "
                                                        "længere end de 75 tegn"));
        QVERIFY(w.RichEdit1->toPlainText().contains(deep + "/2.jpg"));
    }
};

QTEST_MAIN(ImportWindowTest)
#include "tst_importwindow.moc"
