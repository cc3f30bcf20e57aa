#include "Page.h"

namespace kvilbro {

quint16 Page::fontIndex(const ReportFont& font)
{
    const qsizetype i = fonts.indexOf(font);
    if (i >= 0)
        return quint16(i);
    fonts.append(font);
    return quint16(fonts.size() - 1);
}

quint32 Page::imageIndex(const QImage& image)
{
    // Rows often show the same picture; share it instead of storing it again.
    for (qsizetype i = 0; i < images.size(); ++i) {
        if (images[i].cacheKey() == image.cacheKey())
            return quint32(i);
    }
    images.append(image);
    return quint32(images.size() - 1);
}

void Page::addText(float x, float y, float w, float h, float textX, float baseline, quint16 font, QStringView line,
                   bool clip)
{
    PageItem item;
    item.kind = PageItem::Text;
    item.flags = clip ? PageItem::Clip : 0;
    item.font = font;
    item.x = x;
    item.y = y;
    item.w = w;
    item.h = h;
    item.textX = textX;
    item.baseline = baseline;
    item.ref = quint32(text.size());
    item.length = quint32(line.size());
    text.append(line);
    items.append(item);
}

void Page::squeeze()
{
    items.squeeze();
    text.squeeze();
    fonts.squeeze();
    images.squeeze();
}

} // namespace kvilbro
