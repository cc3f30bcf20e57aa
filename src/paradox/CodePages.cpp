#include "CodePages.h"

#include <QStringDecoder>

namespace kvilbro::paradox {

namespace {

bool danish(QChar c)
{
    static const QString letters = QStringLiteral("æøåÆØÅéÉüÜöÖäÄ");
    return letters.contains(c);
}

// Whether every byte above ASCII that occurs reads as a Danish letter in `codePage`;
// `any` tells whether there were such bytes at all.
bool allDanish(int codePage, const ByteCounts& counts)
{
    QStringDecoder decoder(converterName(codePage).toLatin1().constData());
    for (int b = 0x80; b < 0x100; ++b) {
        if (counts[size_t(b)] == 0)
            continue;
        const char byte = char(b);
        const QString text = decoder.decode(QByteArrayView(&byte, 1));
        if (text.size() != 1 || !danish(text[0]))
            return false;
    }
    return true;
}

} // namespace

QString converterName(int codePage)
{
    QString name;
    if (codePage >= 1250 && codePage <= 1258)
        name = QStringLiteral("windows-%1").arg(codePage);
    else if (codePage > 0 && codePage < 1000)
        name = QStringLiteral("IBM%1").arg(codePage, 3, 10, QLatin1Char('0'));
    else
        return {};
    return QStringDecoder(name.toLatin1().constData()).isValid() ? name : QString();
}

int choose(int declared, const ByteCounts& counts, QString* warning)
{
    const int used = declared == 0 ? 437 : declared;
    if (used != 437 && used != 850)
        return used;
    bool anyHigh = false;
    for (int b = 0x80; b < 0x100; ++b)
        anyHigh = anyHigh || counts[size_t(b)] != 0;
    if (!anyHigh || allDanish(used, counts) || !allDanish(865, counts))
        return used;
    *warning = QStringLiteral("The header says code page %1, but the texts hold Danish letters only when read as "
                              "code page 865; read as 865.")
                   .arg(declared == 0 ? QStringLiteral("437 (none given)") : QString::number(declared));
    return 865;
}

} // namespace kvilbro::paradox
