// The area and number commands from the main window's menus, as the collector
// runs them: where the views and the focus end, and what is shown.
#include "MainWindowFixture.h"

#include "DBGrid.h"
#include "Gauge.h"
#include "PageList.h"
#include "PreviewWindow.h"
#include "Program.h"
#include "Report.h"
#include "TQuickReport5.h"
#include "TableView.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <cmath>

using namespace kvilbro;
using namespace kvilbro::test;

class CommandsWindowTest : public QObject {
    Q_OBJECT

    static void choose(TForm2& w, const char* handler)
    {
        QAction* item = w.menuAction(QString::fromLatin1(handler));
        QVERIFY(item && item->isEnabled());
        item->trigger();
    }

private slots:
    void initTestCase() { pinEnvironment(); }

    void addNumbersShowsProgressAndEndsOnTheLast()
    {
        MainWindowFixture f(fillSample);
        TForm2& w = f.window();
        int gaugeShown = 0;
        w.setPictureRefresh({});
        f.dialogs.answerInput("Hvor mange numre skal tilføjes ?", "", "3");
        QObject::connect(w.Table2, &TableView::rowInserted, w.Table2, [&] { gaugeShown += w.Gauge1->isVisible(); });
        choose(w, "Numre1Click");
        QVERIFY(gaugeShown > 0);
        QVERIFY(w.Gauge1->isHidden() && w.Label2->isHidden());
        QCOMPARE(w.Label2->text(), QStringLiteral("Opretter nye numre, vent...."));
        QCOMPARE(f.collection().count("stm2manc", "Land='DK' AND Nummer IN (8,9,10) AND Type IS NULL"), 3);
        QCOMPARE(w.Table2->asText(u"Nummer"), QStringLiteral("10"));
        QCOMPARE(w.DBGrid2->currentIndex().row(), 7);
        const auto asked = f.dialogs.shownOf("input").first();
        QCOMPARE(asked.caption, QStringLiteral("Hvor mange numre skal tilføjes ?"));
        QCOMPARE(asked.defaultText, QStringLiteral("0"));
    }

    void searchMovesTheFocusOnlyWhenItRan()
    {
        MainWindowFixture f(fillSample);
        TForm2& w = f.window();
        f.dialogs.answerInput("Input Box", "Indtast nummer", "7");
        choose(w, "Efternummer1Click");
        QCOMPARE(QApplication::focusWidget(), w.DBGrid2);
        QCOMPARE(w.DBGrid2->currentIndex().row(), 3); // 7 before 7a
        QCOMPARE(w.Table2->asText(u"Type"), QString());

        w.DBGrid1->setFocus();
        f.dialogs.answerInput("Input Box", "Indtast nummer", "10"); // only in another area
        choose(w, "Efternummer1Click");
        QCOMPARE(f.dialogs.messages(), QStringList{"Nummer 10 findes ikke i tabellen"});
        QCOMPARE(QApplication::focusWidget(), w.DBGrid2);

        w.DBGrid1->setFocus();
        f.dialogs.answerInput("Input Box", "Indtast nummer", "syv");
        choose(w, "Efternummer1Click");
        QCOMPARE(f.dialogs.shown().last().kind, QStringLiteral("stop"));
        QCOMPARE(f.dialogs.shown().last().text, QStringLiteral("'syv' is not a valid integer value."));
        QCOMPARE(QApplication::focusWidget(), w.DBGrid1);
        QCOMPARE(w.Table2->asText(u"Nummer"), QStringLiteral("7"));
    }

    void newAreaThenDeleteIt()
    {
        MainWindowFixture f(fillSample);
        TForm2& w = f.window();
        f.dialogs.answerInput("Opret nyt samleområde", "Indtast beskrivelse", "Norge 1855-1900");
        f.dialogs.answerInput("Opret nyt samleområde", "Indtast Nationalitets ID", "NO");
        choose(w, "Nytsamleomrde1Click");
        QCOMPARE(w.Table1->asText(u"Beskrivelse"), QStringLiteral("Norge 1855-1900"));
        QCOMPARE(w.DBGrid1->currentIndex().row(), 3);
        QCOMPARE(w.Table2->rowCount(), 0);

        w.DBGrid1->setCurrentIndex(w.DBGrid1->model()->index(0, 1));
        QCOMPARE(w.Table1->asText(u"Beskrivelse"), QStringLiteral("Danmark"));
        f.dialogs.answerConfirm("Slet disse katalognumre ?", true);
        f.dialogs.answerInput("Bekræft sletning", "Skriv SLET", "SLET");
        choose(w, "Sletsamleomrde1Click");
        QCOMPARE(f.collection().count("stm2frim"), 3);
        QCOMPARE(f.collection().count("stm2manc", "Land='DK'"), 0);
        QCOMPARE(w.Table1->asText(u"Beskrivelse"), QStringLiteral("Færøerne"));
        QCOMPARE(w.DBGrid2->model()->index(0, 0).data().toString(), QStringLiteral("10"));
        QVERIFY(w.Gauge1->isHidden() && w.Label2->isHidden());
    }

    void clearMarksOfTheAreaOnly()
    {
        MainWindowFixture f([](Collection& c) {
            fillSample(c);
            c.addNumber("FR", "Færøerne", 11, {}, {"x", "x", "x"});
        });
        TForm2& w = f.window();
        f.dialogs.answerConfirm("Slet afkrydsning på disse katalognumre ?", true);
        f.dialogs.answerInput("Bekræft sletning", "Skriv SLET", "SLET");
        choose(w, "Sletafkrydsning1Click");
        QCOMPARE(f.collection().count("stm2manc", "O IS NOT NULL"), 1);
        QCOMPARE(f.collection().count("stm2manc", "O IS NOT NULL AND Land='FR'"), 1);
        QCOMPARE(w.Table2->asText(u"Nummer"), QStringLiteral("7")); // the area's last row
        QCOMPARE(w.DBGrid2->model()->index(0, 4).data().toString(), QString());
    }

    // Udskriv 1 and 2 preview the current area's list, and "Udskriv kun
    // mancoer" leaves out what is owned in that condition.
    void markTypeListFromTheMenu_data()
    {
        QTest::addColumn<QString>("handler");
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("shortfallsOnly");
        QTest::newRow("used, every number") << "Stempledemrker1Click"
                                            << "O" << false;
        QTest::newRow("used, shortfalls") << "Stempledemrker1Click"
                                          << "O" << true;
        QTest::newRow("mint, shortfalls") << "Postfriskemrker1Click"
                                          << "***" << true;
    }
    void markTypeListFromTheMenu()
    {
        QFETCH(QString, handler);
        QFETCH(QString, field);
        QFETCH(bool, shortfallsOnly);
        MainWindowFixture f(fillSample);
        TForm2& w = f.window();
        w.CheckBox1->setChecked(shortfallsOnly);
        QStringList expected;
        for (w.Table2->first(); !w.Table2->eof(); w.Table2->next()) {
            if (!shortfallsOnly || w.Table2->asText(field).isEmpty())
                expected << w.Table2->asText(u"Nummer") + w.Table2->asText(u"Type");
        }
        QStringList shown;
        QString title;
        QTimer::singleShot(0, [&] {
            PreviewWindow* preview = f.program().markTypeList()->report().previewWindow();
            QVERIFY(preview);
            QTRY_VERIFY(!preview->isProducing());
            title = preview->windowTitle();
            for (const PagePtr& page : preview->pages().pages()) {
                QString row;
                for (const PageItem& item : page->items) {
                    // Number and variant of each row, read off the row's number column.
                    if (item.kind != PageItem::Text || item.baseline < 34 || item.font == 0)
                        continue;
                    const QString text = page->textOf(item).toString();
                    const double inColumn = std::fmod(item.textX - 10.0, 38.1);
                    if (inColumn < 8.8) {
                        if (!row.isEmpty())
                            shown << row;
                        row = text;
                    } else if (inColumn > 10 && inColumn < 20) {
                        row += text;
                    }
                }
                if (!row.isEmpty())
                    shown << row;
            }
            preview->close();
        });
        choose(w, qPrintable(handler));
        QCOMPARE(title, QString("Mancoliste"));
        QVERIFY(!expected.isEmpty());
        QCOMPARE(shown, expected);
    }

    // Udskriv 4, 5 and the picture lists each preview the current area's list.
    void otherListsFromTheMenu_data()
    {
        QTest::addColumn<QString>("handler");
        QTest::addColumn<QString>("caption");
        QTest::newRow("combined") << "Alleoplysninger1Click"
                                  << "Mancoliste";
        QTest::newRow("all information") << "Alleoplysninger2Click"
                                         << "Print Preview";
        QTest::newRow("used with pictures") << "Medbillede1Click"
                                            << "Print Preview";
        QTest::newRow("mint with pictures") << "Postfriskmedbillede1Click"
                                            << "Print Preview";
        QTest::newRow("unused with pictures") << "Ubrugtmedbillede1Click"
                                              << "Print Preview";
    }
    void otherListsFromTheMenu()
    {
        QFETCH(QString, handler);
        QFETCH(QString, caption);
        MainWindowFixture f([](Collection& c) {
            fillSample(c);
            // The placeholder of numbers without a picture.
            QImage placeholder(50, 60, QImage::Format_RGB32);
            placeholder.fill(Qt::gray);
            QVERIFY(placeholder.save(c.file("frim2.jpg"), "JPG"));
        });
        TForm2& w = f.window();
        QString shown;
        int pages = 0;
        QTimer::singleShot(0, [&] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* preview = qobject_cast<PreviewWindow*>(top);
                if (!preview || !preview->isVisible())
                    continue;
                QTRY_VERIFY(!preview->isProducing());
                shown = preview->windowTitle();
                pages = preview->pages().count();
                preview->close();
            }
        });
        choose(w, qPrintable(handler));
        QCOMPARE(shown, caption);
        QVERIFY(pages >= 1);
        QVERIFY(f.dialogs.messages().isEmpty());
    }

    // The three export commands write the current area's list for their
    // condition; the numbers grid ends on the area's last row.
    void exportFromTheMenu_data()
    {
        QTest::addColumn<QString>("handler");
        QTest::addColumn<QByteArray>("title");
        QTest::newRow("used") << "EksporterstempledetilCSVfil1Click" << QByteArray("Danmark brugte m\xe6rker\r\n");
        QTest::newRow("mint") << "EksporterpostfrisketilCSVfil1Click" << QByteArray("Danmark postfriske m\xe6rker\r\n");
        QTest::newRow("unused") << "ExporterubrugtetilCSVfil1Click" << QByteArray("Danmark ubrugte m\xe6rker\r\n");
    }
    void exportFromTheMenu()
    {
        QFETCH(QString, handler);
        QFETCH(QByteArray, title);
        MainWindowFixture f(fillSample);
        TForm2& w = f.window();
        w.setPictureRefresh({});
        f.dialogs.answerInput("Input Box", "Skilletegn i filen ", ";");
        f.dialogs.answerInput("Input Box", "Antal kolonner i filen ", "0");
        const QString path = f.collection().file("liste.csv");
        f.dialogs.answerSaveFile("Save file as", path);
        choose(w, qPrintable(handler));
        QCOMPARE(f.dialogs.messages(), QStringList{"Finish exporting to file"});
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.value(6) + '\n', title);
        QCOMPARE(lines.size(), 9);
        QCOMPARE(lines.value(8).count(';'), 5 * 3); // the five numbers of Danmark on one line
        QCOMPARE(w.DBGrid2->currentIndex().row(), w.Table2->recordCount() - 1);
        QCOMPARE(w.Table2->currentRow(), w.Table2->recordCount() - 1);
    }
};

QTEST_MAIN(CommandsWindowTest)
#include "tst_commandswindow.moc"
