#pragma once

#include <QHash>
#include <QImage>
#include <QSizeF>
#include <QString>

namespace kvilbro {

// The pictures of one report run. Each file is read once per box size and
// kept scaled to the box at print resolution, so rows showing one picture
// share its memory and a page list never holds a whole scan.
class PictureCache {
public:
    // Finer than any printer the lists go to needs.
    static constexpr double MaxDotsPerInch = 600;

    // The picture of `path` for a box of `boxMm`. Throws the loader's Error.
    QImage picture(const QString& path, QSizeF boxMm);
    // The file's own size in pixels, from its header, read once per run.
    QSize fileSize(const QString& path);
    // The pixels a box of that size gets.
    static QSize pixelsFor(QSizeF boxMm);
    void clear()
    {
        pictures_.clear();
        sizes_.clear();
    }
    qsizetype size() const { return pictures_.size(); }

private:
    QHash<QString, QImage> pictures_;
    QHash<QString, QSize> sizes_;
};

} // namespace kvilbro
