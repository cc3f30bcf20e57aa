// The main window as the collector uses it: keys, grid editing, navigators,
// switching grids, help and the about box.
#include "MainWindowFixture.h"

#include "DBGrid.h"
#include "DBNavigator.h"
#include "TableView.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace kvilbro;
using namespace kvilbro::test;

namespace {

QWidget* focused()
{
    return QApplication::focusWidget();
}

// Keys go where the focus is, as a person's would; the grid's editor commits
// through queued calls, so the queue runs after every key.
void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::keyClick(focused(), Qt::Key(k), mods);
    QCoreApplication::processEvents();
}

void typeText(const QString& text)
{
    for (QChar c : text) {
        QTest::keyClicks(focused(), QString(c));
        QCoreApplication::processEvents();
    }
}

QStringList numbersShown(TForm2& w)
{
    QStringList out;
    QAbstractItemModel* m = w.DBGrid2->model();
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->index(r, 0).data().toString() + m->index(r, 1).data().toString();
    return out;
}

void focusNumbers(TForm2& w, int row, int column)
{
    w.DBGrid2->setFocus();
    w.DBGrid2->setCurrentIndex(w.DBGrid2->model()->index(row, column));
    if (w.Table2->rowCount() > 0)
        QCOMPARE(w.Table2->currentRow(), row);
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { pinEnvironment(); }

    void f12SwitchesOncePerPress()
    {
        MainWindowFixture f(fillSample);
        TForm2& w = f.window();
        QCOMPARE(focused(), w.DBGrid1);
        key(Qt::Key_F12);
        QCOMPARE(focused(), w.DBGrid2);
        key(Qt::Key_F12);
        QCOMPARE(focused(), w.DBGrid1);
        // From a check box, a button, or a cell editor: to the areas grid.
        w.CheckBox1->setFocus();
        key(Qt::Key_F12);
        QCOMPARE(focused(), w.DBGrid1);
        focusNumbers(w, 0, 6);
        typeText("ny");
        QVERIFY(qobject_cast<QLineEdit*>(focused()));
        key(Qt::Key_F12);
        QCOMPARE(focused(), w.DBGrid1);
        // Switching grids keeps the row in edit with what was typed.
        QCOMPARE(w.Table2->state(), TableView::State::Edit);
        QCOMPARE(w.Table2->asText(u"Bemærkning"), QStringLiteral("ny"));
        QCOMPARE(w.menuAction("SkiftmellemvinduerneClick")->shortcut(), QKeySequence(Qt::Key_F12));
    }

    void f1OpensHelpOnce()
    {
        MainWindowFixture f(fillSample);
        TForm2& w = f.window();
        const QUrl help = QUrl::fromLocalFile(QDir(f.collection().path()).absoluteFilePath("index.html"));
        key(Qt::Key_F1); // areas grid
        focusNumbers(w, 1, 6);
        key(Qt::Key_F1); // numbers grid
        typeText("x");
        key(Qt::Key_F1); // cell editor
        w.CheckBox1->setFocus();
        key(Qt::Key_F1);
        QCOMPARE(f.urls.opened, QList<QUrl>(4, help));
        QVERIFY(!w.CheckBox1->isChecked());

        w.menuAction("Hjlp1Click")->trigger();
        w.menuAction("Kvilbrohjemmeside1Click")->trigger();
        QCOMPARE(f.urls.opened.size(), 6);
        QCOMPARE(f.urls.opened.last(), QUrl(TForm2::homePage()));
    }

    void areasGridNeverEdits()
    {
        MainWindowFixture f(fillSample);
        TForm2& w = f.window();
        for (int k : {int(Qt::Key_Insert), int(Qt::Key_A), int(Qt::Key_Return), int(Qt::Key_F2)})
            key(k);
        key(Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(w.Table1->state(), TableView::State::Browse);
        QCOMPARE(f.collection().count("stm2frim"), 3);
        QVERIFY(f.dialogs.shown().isEmpty());
        // Moving in the areas grid brings the area's numbers.
        key(Qt::Key_Down);
        QCOMPARE(w.Table1->asText(u"Beskrivelse"), QStringLiteral("Færøerne"));
        QCOMPARE(numbersShown(w), QStringList{"10"});
        key(Qt::Key_Down);
        QCOMPARE(numbersShown(w), QStringList{""}); // the empty row to type into
        QCOMPARE(w.Table2->rowCount(), 0);
    }

    void typingEditsAndLeavingPosts()
    {
        MainWindowFixture f(fillSample);
        TForm2& w = f.window();
        focusNumbers(w, 0, 4); // number 1, column O
        typeText("j");
        QCOMPARE(w.Table2->state(), TableView::State::Edit); // the first character starts the edit
        key(Qt::Key_Return);                                 // writes the cell, closes the editor
        QVERIFY(!w.DBGrid2->isEditing());
        QCOMPARE(w.Table2->asText(u"O"), QStringLiteral("j"));
        QCOMPARE(f.collection().count("stm2manc", "O='j'"), 0); // not stored before the row is left
        key(Qt::Key_Down);
        QCOMPARE(f.collection().count("stm2manc", "O='j' AND Nummer=1"), 1);
        QCOMPARE(w.Table2->currentRow(), 1);
        QCOMPARE(w.DBGrid2->currentIndex().column(), 4); // the grid stays in its column

        // Changing the area posts the row being edited.
        typeText("k");
        w.DBNavigator1->press(DBNavigator::Next);
        QCOMPARE(f.collection().count("stm2manc", "O='k' AND Nummer=2"), 1);
        QCOMPARE(numbersShown(w), QStringList{"10"});
    }

    void newRowsAndWidths()
    {
        MainWindowFixture f(fillSample);
        TForm2& w = f.window();
        focusNumbers(w, 4, 0); // 7a, the last row
        key(Qt::Key_Down);     // a new row after the last one
        QCOMPARE(w.Table2->state(), TableView::State::Insert);
        QCOMPARE(w.DBGrid2->currentIndex().row(), 5);
        key(Qt::Key_Down); // nothing typed: no second new row
        QCOMPARE(w.Table2->rowCount(), 6);
        typeText("42");
        key(Qt::Key_Tab);
        typeText("abcdefghijKLMN"); // Type holds 10 characters
        key(Qt::Key_Tab);
        typeText("xxxx"); // *** holds 3
        key(Qt::Key_Up);  // leaving the row posts it
        QCOMPARE(f.collection().count("stm2manc", "Nummer=42 AND Type='abcdefghij' AND \"***\"='xxx' AND "
                                                  "Land='DK' AND Stamoplysning='Danmark'"),
                 1);
        QCOMPARE(numbersShown(w).last(), QStringLiteral("42abcdefghij"));

        // Insert: a new row before the current one; left untouched it disappears.
        focusNumbers(w, 1, 0);
        key(Qt::Key_Insert);
        QCOMPARE(w.Table2->state(), TableView::State::Insert);
        QCOMPARE(w.DBGrid2->currentIndex().row(), 1);
        QCOMPARE(w.Table2->asText(u"Land"), QStringLiteral("DK"));
        key(Qt::Key_F12); // leaving the grid drops the untouched new row
        QCOMPARE(w.Table2->state(), TableView::State::Browse);
        QCOMPARE(f.collection().count("stm2manc", "Land='DK'"), 6);
        QCOMPARE(w.Table2->rowCount(), 6);

        // Typing into an area without numbers starts its first row.
        w.DBNavigator1->press(DBNavigator::Last);
        focusNumbers(w, 0, 0);
        typeText("5");
        key(Qt::Key_Return);
        key(Qt::Key_Up);
        QCOMPARE(f.collection().count("stm2manc", "Nummer=5 AND Land='IS' AND Stamoplysning='Island'"), 1);
    }

    void numberFieldTakesDigitsAndSigns()
    {
        MainWindowFixture f(fillSample);
        TForm2& w = f.window();
        focusNumbers(w, 0, 0);
        typeText("x"); // refused before any edit starts
        QVERIFY(!w.DBGrid2->isEditing());
        QCOMPARE(w.Table2->state(), TableView::State::Browse);
        typeText("+-5");
        key(Qt::Key_Return);
        QCOMPARE(f.dialogs.messages(), QStringList{"'+-5' is not a valid integer value for field 'Nummer'"});
        QVERIFY(w.DBGrid2->isEditing()); // the collector corrects it in place
        key(Qt::Key_Backspace);
        key(Qt::Key_Backspace);
        key(Qt::Key_Backspace);
        typeText("99");
        key(Qt::Key_Return);
        QVERIFY(!w.DBGrid2->isEditing());
        key(Qt::Key_Down);
        QCOMPARE(f.collection().count("stm2manc", "Nummer=99"), 1);
        QCOMPARE(f.dialogs.messages().size(), 1);
    }

    void escapeFirstCellThenRow()
    {
        MainWindowFixture f(fillSample);
        TForm2& w = f.window();
        focusNumbers(w, 1, 6);
        typeText("første");
        key(Qt::Key_Return);
        key(Qt::Key_Right);
        key(Qt::Key_Left);
        typeText("anden");
        key(Qt::Key_Escape); // drops the text typed into the cell
        QVERIFY(!w.DBGrid2->isEditing());
        QCOMPARE(w.Table2->state(), TableView::State::Edit);
        QCOMPARE(w.Table2->asText(u"Bemærkning"), QStringLiteral("første"));
        key(Qt::Key_Escape); // cancels the row edit
        QCOMPARE(w.Table2->state(), TableView::State::Browse);
        QCOMPARE(w.Table2->asText(u"Bemærkning"), QString());

        // A new row disappears on the second Escape.
        key(Qt::Key_Insert);
        typeText("8");
        key(Qt::Key_Escape);
        key(Qt::Key_Escape);
        QCOMPARE(w.Table2->rowCount(), 5);
        QCOMPARE(f.collection().count("stm2manc"), 6);

        // F2 opens the editor without starting an edit.
        key(Qt::Key_F2);
        QVERIFY(w.DBGrid2->isEditing());
        QCOMPARE(w.Table2->state(), TableView::State::Browse);
    }

    void deleteAsksFirst()
    {
        MainWindowFixture f(fillSample);
        TForm2& w = f.window();
        focusNumbers(w, 1, 0);
        f.dialogs.answerOkCancel("Delete record?", false);
        key(Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(f.collection().count("stm2manc"), 6);
        f.dialogs.answerOkCancel("Delete record?", true);
        key(Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(f.collection().count("stm2manc"), 5);
        QCOMPARE(f.collection().count("stm2manc", "Nummer=2"), 0);
        QCOMPARE(numbersShown(w), (QStringList{"1", "3", "7", "7a"}));
        QCOMPARE(w.Table2->currentRow(), 1); // the next row
        f.dialogs.answerOkCancel("Delete record?", true);
        w.DBNavigator2->press(DBNavigator::Delete);
        QCOMPARE(numbersShown(w), (QStringList{"1", "7", "7a"}));
        const auto asked = f.dialogs.shownOf("okCancel");
        QCOMPARE(asked.size(), 3);
        for (const auto& a : asked)
            QCOMPARE(a.text, QStringLiteral("Delete record?"));
    }

    void navigatorButtonsFollowTheView()
    {
        MainWindowFixture f(fillSample);
        TForm2& w = f.window();
        auto enabled = [](DBNavigator* n, DBNavigator::Button b) { return n->button(b)->isEnabled(); };
        DBNavigator* numbers = w.DBNavigator2;
        QVERIFY(!enabled(numbers, DBNavigator::First) && !enabled(numbers, DBNavigator::Prior));
        QVERIFY(enabled(numbers, DBNavigator::Next) && enabled(numbers, DBNavigator::Last));
        QVERIFY(!enabled(numbers, DBNavigator::Post) && !enabled(numbers, DBNavigator::Cancel));
        numbers->press(DBNavigator::Last);
        QVERIFY(enabled(numbers, DBNavigator::First) && !enabled(numbers, DBNavigator::Next));
        numbers->press(DBNavigator::Edit);
        QVERIFY(enabled(numbers, DBNavigator::Post) && enabled(numbers, DBNavigator::Cancel));
        QVERIFY(!enabled(numbers, DBNavigator::Edit));
        numbers->press(DBNavigator::Cancel);
        QVERIFY(!enabled(numbers, DBNavigator::Post));

        QCOMPARE(w.DBNavigator1->button(DBNavigator::First)->toolTip(), QStringLiteral("Første samleområde "));
        QCOMPARE(numbers->button(DBNavigator::Insert)->toolTip(), QStringLiteral("Indsæt nummer"));
        QCOMPARE(numbers->button(DBNavigator::Refresh)->toolTip(), QStringLiteral("Refresh data"));
        QCOMPARE(w.DBNavigator1->button(DBNavigator::Insert), nullptr);
        w.DBNavigator1->press(DBNavigator::Last);
        QVERIFY(!enabled(numbers, DBNavigator::Delete)); // Island has no numbers
    }

    void pictureRefreshTriggers()
    {
        MainWindowFixture f(fillSample);
        TForm2& w = f.window();
        int refreshes = 0;
        QList<int> rowsSeen;
        w.setPictureRefresh([&] {
            ++refreshes;
            rowsSeen << w.Table2->currentRow();
        });
        key(Qt::Key_Down); // areas grid: no refresh
        w.DBNavigator1->press(DBNavigator::First);
        QCOMPARE(refreshes, 0);
        focusNumbers(w, 0, 0);
        key(Qt::Key_Down); // press before the move, release after it
        QCOMPARE(rowsSeen, (QList<int>{0, 1}));
        key(Qt::Key_F12); // never reaches the grid
        QCOMPARE(refreshes, 2);
        w.DBNavigator2->press(DBNavigator::Next);
        QCOMPARE(rowsSeen.last(), 2); // after the button's action
        QTest::mouseClick(w.DBGrid2->viewport(), Qt::LeftButton, {},
                          w.DBGrid2->visualRect(w.DBGrid2->model()->index(3, 1)).center());
        QCOMPARE(rowsSeen.last(), 3);
        QCOMPARE(refreshes, 4);
        // Keys typed into a cell editor count too, Enter included.
        typeText("x");
        key(Qt::Key_Return);
        QCOMPARE(refreshes, 8);
    }

    // Tab moves between cells; Ctrl+Tab leaves a grid, so the keyboard
    // reaches the check boxes and the button as well.
    void ctrlTabLeavesTheGrids()
    {
        MainWindowFixture f(fillSample);
        TForm2& w = f.window();
        focusNumbers(w, 0, 0);
        key(Qt::Key_Tab);
        QCOMPARE(focused(), w.DBGrid2);
        QCOMPARE(w.DBGrid2->currentIndex().column(), 1);
        QSet<QWidget*> reached;
        for (int i = 0; i < 20; ++i) {
            key(Qt::Key_Tab, qobject_cast<DBGrid*>(focused()) ? Qt::ControlModifier : Qt::NoModifier);
            reached << focused();
        }
        for (QWidget* control : {static_cast<QWidget*>(w.CheckBox1), static_cast<QWidget*>(w.CheckBox2),
                                 static_cast<QWidget*>(w.Button5), static_cast<QWidget*>(w.DBGrid1)})
            QVERIFY2(reached.contains(control), qPrintable(control->objectName()));
        w.CheckBox1->setFocus();
        key(Qt::Key_Space);
        QVERIFY(w.CheckBox1->isChecked());
    }

    // Without any area a number typed into the grid would belong nowhere.
    void numbersWithoutAnAreaAreRefused()
    {
        MainWindowFixture f;
        TForm2& w = f.window();
        w.DBGrid2->setFocus();
        typeText("5");
        key(Qt::Key_Return);
        key(Qt::Key_Down);
        QVERIFY(!f.dialogs.messages().isEmpty());
        QVERIFY2(f.dialogs.messages().first().startsWith("Der er intet samleområde at tilføje numre til"),
                 qPrintable(f.dialogs.messages().join(u'|')));
        QCOMPARE(f.collection().count("stm2manc"), 0);
        QCOMPARE(w.Table2->state(), TableView::State::Browse);
    }

    // Enter that closes a message box over the grid is released on the grid:
    // counting that release would show the box again, and again.
    void aReleaseWhosePressWentElsewhereIsNoTrigger()
    {
        MainWindowFixture f(fillSample);
        TForm2& w = f.window();
        int refreshes = 0;
        w.setPictureRefresh([&] { ++refreshes; });
        focusNumbers(w, 0, 0);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(w.DBGrid2, &release);
        QCOMPARE(refreshes, 0);
        // Held down, a key repeats its press and release; the last release counts too.
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier, QString(), true);
        QKeyEvent repeated(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier, QString(), true);
        QKeyEvent last(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
        for (QKeyEvent* e : {&press, &repeated, &press, &last})
            QApplication::sendEvent(w.DBGrid2, e);
        QCOMPARE(refreshes, 4);
        QApplication::sendEvent(w.DBGrid2, &last);
        QCOMPARE(refreshes, 4);
    }

    // Two key events may share an address (one freed, the next built in its
    // place, as stack-built events are). A key the editor took must not make
    // the next key at that address look as if it had been counted already.
    void eachKeyIsCountedOnceWhateverItsAddress()
    {
        MainWindowFixture f(fillSample);
        TForm2& w = f.window();
        int refreshes = 0;
        w.setPictureRefresh([&] { ++refreshes; });
        focusNumbers(w, 0, 6);
        typeText("x");
        QVERIFY(qobject_cast<QLineEdit*>(focused()));
        refreshes = 0;

        alignas(QKeyEvent) unsigned char place[sizeof(QKeyEvent)];
        auto* escape = new (place) QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(focused(), escape); // the editor closes on it
        escape->~QKeyEvent();
        QCOMPARE(focused(), w.DBGrid2);
        auto* release = new (place) QKeyEvent(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(focused(), release);
        release->~QKeyEvent();
        QCOMPARE(refreshes, 2);
    }

    void aboutBoxIsOneAndNotModal()
    {
        MainWindowFixture f(fillSample);
        TForm2& w = f.window();
        w.menuAction("Omprogrammet1Click")->trigger();
        w.menuAction("Omprogrammet1Click")->trigger();
        QWidget* about = f.program().mainWindow()->findChild<QWidget*>("AboutBox");
        QVERIFY(about && about->isVisible());
        QVERIFY(!about->isModal());
        QCOMPARE(about->windowTitle(), QStringLiteral("About"));
        QCOMPARE(about->size(), QSize(298, 213));
        int visible = 0;
        for (QWidget* top : QApplication::topLevelWidgets())
            visible += top->isVisible() && top->windowTitle() == QLatin1String("About");
        QCOMPARE(visible, 1);
    }

    void menuTree()
    {
        MainWindowFixture f(fillSample);
        TForm2& w = f.window();
        QStringList captions;
        for (QAction* menu : w.menuBar()->actions()) {
            captions << menu->text();
            for (QAction* item : menu->menu()->actions())
                captions << "  " + item->text();
        }
        const QString divider(62, '-');
        QCOMPARE(captions, (QStringList{"&Program",
                                        "  &Skift mellem vinduerne",
                                        "  &Indstil printer",
                                        "  &Afslut",
                                        "&Søg",
                                        "  &Efter nummer",
                                        "&Tilføj",
                                        "  &Numre",
                                        "  Nyt &samleområde",
                                        "  Tilføj &et billede",
                                        "  &Tilføj mange billeder",
                                        "&Udskriv",
                                        "  &1 Stemplede mærker",
                                        "  &2 Postfriske mærker",
                                        "  &3 Ubrugte mærker",
                                        "  " + divider,
                                        "  &4 Stemplet/ubrugt/postfrisk",
                                        "  &5 Alle oplysninger",
                                        "  " + divider,
                                        "  &Stemplet med billede",
                                        "  &Postfrisk med billede",
                                        "  &Ubrugt med billede",
                                        "  " + divider,
                                        "  Eksporter stemplede til CSV fil",
                                        "  Eksporter postfriske til CSV fil",
                                        "  Exporter ubrugte til CSV fil",
                                        "&Oprydning",
                                        "  &Slet samleområde",
                                        "  Slet afkr&ydsning",
                                        "  Slet &billedhenvisning",
                                        "&Hjælp",
                                        "  Hjælp",
                                        "  Kvilbro hjemmeside",
                                        "  &Om programmet"}));
        // A divider is an ordinary item that does nothing.
        QAction* n1 = w.menuBar()->findChild<QAction*>("N1");
        QVERIFY(n1 && n1->isEnabled());
        n1->trigger();
        QVERIFY(f.dialogs.shown().isEmpty());
    }

    void closingStoresWhatWasTyped()
    {
        MainWindowFixture f(fillSample);
        TForm2& w = f.window();
        focusNumbers(w, 2, 6);
        typeText("gemt");
        key(Qt::Key_Return);
        w.menuAction("Afslut1Click")->trigger();
        QVERIFY(!w.isVisible());
        QCOMPARE(f.collection().count("stm2manc", "\"Bemærkning\"='gemt' AND Nummer=3"), 1);
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
