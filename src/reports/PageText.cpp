#include "PageText.h"

#include "PageList.h"
#include "Sides.h"

#include <QStringEncoder>

#include <algorithm>
#include <cmath>

namespace kvilbro {

namespace {

QString mm(double v)
{
    const double rounded = std::round(v * 10) / 10;
    return QString::number(rounded == 0 ? 0.0 : rounded, 'f', 1);
}

QString sidesText(quint8 flags)
{
    const auto sides = Sides::fromInt(flags);
    QString out;
    if (sides & Side::Top)
        out += u'T';
    if (sides & Side::Bottom)
        out += u'B';
    if (sides & Side::Left)
        out += u'L';
    if (sides & Side::Right)
        out += u'R';
    return out;
}

QString rect(const PageItem& item)
{
    return mm(item.x) + u' ' + mm(item.y) + u' ' + mm(item.w) + u' ' + mm(item.h);
}

// A character of the plain rendering stands for this many millimetres across.
constexpr double CharacterWidth = 2.0;
// Texts whose baselines lie closer than this share a line.
constexpr double SameLine = 1.5;

} // namespace

QString PageText::dump(const PageList& pages)
{
    QString out;
    const QSizeF paper = pages.paperSize();
    out += QStringLiteral("paper %1 x %2\n").arg(mm(paper.width()), mm(paper.height()));
    for (const PagePtr& page : pages.pages()) {
        out += QStringLiteral("page %1\n").arg(page->number);
        for (const PageItem& item : page->items) {
            switch (item.kind) {
            case PageItem::Fill:
                out += QLatin1String("  fill ") + rect(item) + u'\n';
                break;
            case PageItem::Frame:
                out += QLatin1String("  frame ") + rect(item) + u' ' + sidesText(item.flags) + u'\n';
                break;
            case PageItem::Text: {
                const QString font = item.font < page->fonts.size() ? page->fonts[item.font].describe() : QString();
                out += QLatin1String("  text ") + mm(item.textX) + u' ' + mm(item.baseline) + QLatin1String(" \"");
                out += page->textOf(item);
                out += QLatin1String("\" ") + font;
                if (item.flags & PageItem::Clip)
                    out += QLatin1String(" clip ") + rect(item);
                out += u'\n';
                break;
            }
            case PageItem::Image: {
                const QSize size = item.ref < quint32(page->images.size()) ? page->images[item.ref].size() : QSize();
                out += QLatin1String("  image ") + rect(item) +
                       QStringLiteral(" %1x%2\n").arg(size.width()).arg(size.height());
                break;
            }
            }
        }
    }
    return out;
}

QString PageText::plain(const PageList& pages)
{
    QString out;
    for (const PagePtr& page : pages.pages()) {
        QList<const PageItem*> texts;
        for (const PageItem& item : page->items) {
            if (item.kind == PageItem::Text)
                texts.append(&item);
        }
        std::stable_sort(texts.begin(), texts.end(),
                         [](const PageItem* a, const PageItem* b) { return a->baseline < b->baseline; });
        double left = 1e9;
        for (const PageItem* t : texts)
            left = std::min<double>(left, t->textX);

        if (page->number > 1)
            out += u'\f';
        qsizetype i = 0;
        while (i < texts.size()) {
            const double baseline = texts[i]->baseline;
            qsizetype j = i;
            while (j < texts.size() && texts[j]->baseline - baseline < SameLine)
                ++j;
            QList<const PageItem*> row(texts.begin() + i, texts.begin() + j);
            std::stable_sort(row.begin(), row.end(),
                             [](const PageItem* a, const PageItem* b) { return a->textX < b->textX; });
            QString line;
            for (const PageItem* t : row) {
                const auto column = qsizetype(std::lround((t->textX - left) / CharacterWidth));
                const qsizetype at = std::max(column, line.isEmpty() ? qsizetype(0) : line.size() + 1);
                line += QString(at - line.size(), u' ');
                line += page->textOf(*t);
            }
            out += line + u'\n';
            i = j;
        }
    }
    return out;
}

QByteArray PageText::plainFile(const PageList& pages)
{
    QString text = plain(pages);
    text.replace(u'\n', QLatin1String("\r\n"));
    QStringEncoder encoder("windows-1252", QStringEncoder::Flag::Default);
    if (!encoder.isValid())
        return text.toLatin1();
    QByteArray bytes = encoder.encode(text);
    return bytes;
}

} // namespace kvilbro
