// Reading the answer to "how many numbers to add".
#include "CountAnswer.h"

#include <QTest>

#include <limits>

using kvilbro::CountAnswer;

class CountAnswerTest : public QObject {
    Q_OBJECT

private slots:
    void answers_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("goesOn");
        QTest::addColumn<int>("count");

        const int largest = std::numeric_limits<int>::max();
        // Turned away: not after "0" by character code.
        QTest::newRow("zero") << "0" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("leading space") << " 5" << false << 0;
        QTest::newRow("plus") << "+5" << false << 0;
        QTest::newRow("minus") << "-5" << false << 0;
        QTest::newRow("dollar hex") << "$1A" << false << 0;
        QTest::newRow("slash, just below 0") << "/" << false << 0;
        // Going on, decimal.
        QTest::newRow("two zeros") << "00" << true << 0;
        QTest::newRow("zero and space") << "0 " << true << 0;
        QTest::newRow("word") << "abc" << true << 0;
        QTest::newRow("colon, just above 9") << ":" << true << 0;
        QTest::newRow("digits then letters") << "12abc" << true << 12;
        QTest::newRow("digits then space") << "1 2" << true << 1;
        QTest::newRow("leading zero") << "05" << true << 5;
        QTest::newRow("other digits are no digits") << QString::fromUtf8("١٢") << true << 0;
        QTest::newRow("Danish letter") << QString::fromUtf8("ø7") << true << 0;
        // Going on, hexadecimal.
        QTest::newRow("x") << "x1A" << true << 26;
        QTest::newRow("X lower digits") << "X1a" << true << 26;
        QTest::newRow("0x") << "0x1A" << true << 26;
        QTest::newRow("0X stops at g") << "0X1g" << true << 1;
        QTest::newRow("x alone") << "x" << true << 0;
        QTest::newRow("0x alone") << "0x" << true << 0;
        QTest::newRow("x no digits") << "xg" << true << 0;
        QTest::newRow("decimal digits are not hex after 1") << "1A" << true << 1;
        // Too large to fit: held at the largest int, never wrapped to a small or negative count.
        QTest::newRow("largest") << "2147483647" << true << largest;
        QTest::newRow("one past largest") << "2147483648" << true << largest;
        QTest::newRow("wraps to 1 in 32 bits") << "4294967297" << true << largest;
        QTest::newRow("very long") << "99999999999999999999999999" << true << largest;
        QTest::newRow("hex all ones") << "xFFFFFFFF" << true << largest;
        QTest::newRow("hex wraps to 5") << "0x100000005" << true << largest;
    }

    void answers()
    {
        QFETCH(QString, answer);
        QFETCH(bool, goesOn);
        QFETCH(int, count);
        QCOMPARE(CountAnswer::goesOn(answer), goesOn);
        if (goesOn)
            QCOMPARE(CountAnswer::count(answer), count);
    }
};

QTEST_GUILESS_MAIN(CountAnswerTest)
#include "tst_countanswer.moc"
