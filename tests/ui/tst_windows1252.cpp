// Text for the collector's files in Windows-1252: what the code page holds
// comes out as its byte, anything else as one "?" per character, counted.
#include "Windows1252File.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kvilbro;

class Windows1252Test : public QObject {
    Q_OBJECT

private slots:
    void encode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("replaced");
        QTest::newRow("Danish letters and the euro") << "Æøå €" << QByteArray("\xc6\xf8\xe5 \x80") << 0;
        QTest::newRow("Polish letters") << "Łódź"
                                        << QByteArray("?\xf3"
                                                      "d?")
                                        << 2;
        QTest::newRow("Cyrillic") << "Дания 5" << QByteArray("????? 5") << 5;
        QTest::newRow("outside the basic plane") << QString::fromUtf8("\xf0\x9f\x93\xae"
                                                                      "x")
                                                 << QByteArray("?x") << 1;
        QTest::newRow("lone surrogate") << QString(QChar(0xd800)) + "y" << QByteArray("?y") << 1;
    }
    void encode()
    {
        QFETCH(QString, text);
        qsizetype replaced = 0;
        QTEST(Windows1252::encode(text, &replaced), "bytes");
        QTEST(int(replaced), "replaced");
    }

    // Text past the buffer comes out whole and in order, the count kept across pieces.
    void bufferedFileKeepsEverything()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.txt");
        Windows1252File file(path);
        QVERIFY(file.open());
        QByteArray expected;
        for (int i = 0; i < 30000; ++i) {
            file.write(QString("%1ø").arg(i));
            file.write(u"Ł");
            file.writeLineEnd();
            expected += QByteArray::number(i) + "\xf8?\r\n";
        }
        QVERIFY(file.close());
        QCOMPARE(file.replaced(), 30000);
        QFile back(path);
        QVERIFY(back.open(QIODevice::ReadOnly));
        QCOMPARE(back.readAll(), expected);
    }
};

QTEST_MAIN(Windows1252Test)
#include "tst_windows1252.moc"
