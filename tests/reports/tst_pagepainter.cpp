// Frame lines as they reach paper: where boxes meet, one line, as wide as any other.
#include "Page.h"
#include "PagePainter.h"
#include "Sides.h"

#include <QImage>
#include <QPainter>
#include <QTest>

using namespace kvilbro;

namespace {

void frame(Page& page, const QRectF& mm, Sides sides)
{
    page.items.append(PageItem::covering(PageItem::Frame, mm, quint8(sides.toInt())));
}

// Two detail rows side by side in adjacent columns and a second row below the
// first, as the want lists place them: bottom, left and right sides only.
Page columnsPage()
{
    Page page;
    frame(page, QRectF(10, 20, 38.1, 3.6), Sides{Side::Bottom, Side::Left, Side::Right});
    frame(page, QRectF(10, 23.6, 38.1, 3.6), Sides{Side::Bottom, Side::Left, Side::Right});
    frame(page, QRectF(48.1, 20, 38.1, 3.6), Sides{Side::Bottom, Side::Left, Side::Right});
    // The next band's white would cover a line drawn before it.
    page.items.append(PageItem::covering(PageItem::Fill, QRectF(48.1, 23.6, 38.1, 3.6)));
    return page;
}

// Runs of dark pixels along row `y` (pixels), as (start, length).
QList<std::pair<int, int>> darkRuns(const QImage& image, int y)
{
    QList<std::pair<int, int>> runs;
    int start = -1;
    for (int x = 0; x <= image.width(); ++x) {
        const bool dark = x < image.width() && qGray(image.pixel(x, y)) < 128;
        if (dark && start < 0)
            start = x;
        if (!dark && start >= 0) {
            runs.append({start, x - start});
            start = -1;
        }
    }
    return runs;
}

} // namespace

class PagePainterTest : public QObject {
    Q_OBJECT

private slots:
    void sharedEdgesAreOneLine()
    {
        const QList<QLineF> lines = PagePainter::frameLines(columnsPage());
        int atJoin = 0;
        for (const QLineF& l : lines)
            atJoin += l.x1() == l.x2() && qAbs(l.x1() - 48.1) < 0.01;
        QCOMPARE(atJoin, 1);
        // The left column's two rows make one line down each side.
        int atLeft = 0;
        for (const QLineF& l : lines) {
            if (l.x1() == l.x2() && qAbs(l.x1() - 10) < 0.01) {
                ++atLeft;
                QCOMPARE(l.y1(), 20.0);
                QVERIFY(qAbs(l.y2() - 27.2) < 0.01);
            }
        }
        QCOMPARE(atLeft, 1);
    }

    void joinIsAsWideAsAnOuterLine_data()
    {
        QTest::addColumn<double>("dpi");
        QTest::newRow("300 dpi") << 300.0;
        QTest::newRow("600 dpi") << 600.0;
    }
    void joinIsAsWideAsAnOuterLine()
    {
        QFETCH(double, dpi);
        const double scale = dpi / 25.4;
        QImage image(qRound(100 * scale), qRound(40 * scale), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        PagePainter::paint(painter, columnsPage(), scale);
        painter.end();

        const auto runs = darkRuns(image, qRound(21.8 * scale)); // through the first rows
        QCOMPARE(runs.size(), 3);                                // left, join, right
        QVERIFY2(qAbs(runs[1].second - runs[0].second) <= 1,
                 qPrintable(QString("join %1 px, outer %2 px").arg(runs[1].second).arg(runs[0].second)));
        // The row below the right one is white, yet the bottom line above it shows.
        const int x = qRound(60 * scale);
        QVERIFY(qGray(image.pixel(x, qRound(23.6 * scale))) < 128);
    }
};

QTEST_MAIN(PagePainterTest)
#include "tst_pagepainter.moc"
