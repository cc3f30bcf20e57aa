// The page header's four variants laid out over a small fixed collection and
// compared, as text, with checked-in references. Set KVILBRO_UPDATE_GOLDEN=1
// to write the references anew after a deliberate change, and review the diff.
#include "CommonPageHeader.h"
#include "PageText.h"
#include "ReportFixture.h"

#include <QFile>
#include <QFontInfo>
#include <QTest>

using namespace kvilbro;
using namespace kvilbro::test;

namespace {

// 49 characters: the longest the field holds is 50. It wraps in every variant's box.
const QString LongArea = "Danmark, Slesvig og Holsten 1851-1864, alle typer";

} // namespace

class ReportGoldenTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { pinEnvironment(); }

    // The references hold widths measured in Arial's metrics; they come from its metric twin.
    void arialIsMetricCompatible()
    {
        const QFontInfo info(ReportFont{"Arial", 10, false}.toQFont());
        QCOMPARE(info.family(), QString("Liberation Sans"));
    }

    void pageHeaderVariants_data()
    {
        QTest::addColumn<int>("variant");
        QTest::addColumn<QString>("name");
        QTest::newRow("mark-type") << int(CommonPageHeader::Variant::MarkType) << "marktype";
        QTest::newRow("combined") << int(CommonPageHeader::Variant::Combined) << "combined";
        QTest::newRow("all-information") << int(CommonPageHeader::Variant::AllInformation) << "allinformation";
        QTest::newRow("picture") << int(CommonPageHeader::Variant::Picture) << "picture";
    }
    void pageHeaderVariants()
    {
        QFETCH(int, variant);
        QFETCH(QString, name);
        const auto v = CommonPageHeader::Variant(variant);
        // 140 rows: two pages, so the header shows on both with its page number.
        ReportFixture f(140, LongArea);
        f.report->setToday(QDate(2026, 12, 24));
        PageSetup& page = f.report->pageSetup();
        page.topMargin = 13.8;
        page.bottomMargin = 14.3;
        page.leftMargin = 10.0;
        page.rightMargin = 9.3;
        page.baseFont = CommonPageHeader::baseFont(v);
        f.report->definition().bands[0] = CommonPageHeader::make(v);
        if (v == CommonPageHeader::Variant::MarkType)
            f.report->setCaption(u"Subtitle", "Stemplede mærker");
        if (v == CommonPageHeader::Variant::Picture)
            f.report->setCaption(u"Title", "Stemplede mærker");

        const PageList pages = f.report->produce();
        QCOMPARE(pages.count(), 2);
        const QString actual = PageText::dump(pages);
        compareWithGolden(KVILBRO_GOLDEN_DIR, name, actual);
    }
};

QTEST_MAIN(ReportGoldenTest)
#include "tst_reportgolden.moc"
