#include "DemoPictures.h"

#include "Error.h"
#include "JpegWriter.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QSaveFile>

#include <cmath>

namespace kvilbro::tablefiles {

namespace {

const QColor Paper(0xf3, 0xee, 0xe0);

// Seven-segment digits: which of the segments a..g each digit lights.
constexpr quint8 Segments[10] = {0x3f, 0x06, 0x5b, 0x4f, 0x66, 0x6d, 0x7d, 0x07, 0x7f, 0x6f};

void drawDigits(QPainter& p, const QRectF& box, const QString& digits, const QColor& colour)
{
    const int n = int(digits.size());
    if (n == 0)
        return;
    const qreal cell = box.width() / n;
    const qreal w = cell * 0.72;
    const qreal h = std::min(box.height(), w * 1.8);
    const qreal t = std::max(1.0, w * 0.18);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    for (int i = 0; i < n; ++i) {
        const int digit = digits[i].digitValue();
        if (digit < 0)
            continue;
        const qreal x = box.left() + i * cell + (cell - w) / 2;
        const qreal y = box.top() + (box.height() - h) / 2;
        const QRectF seg[7] = {
            {x, y, w, t},                     // a
            {x + w - t, y, t, h / 2},         // b
            {x + w - t, y + h / 2, t, h / 2}, // c
            {x, y + h - t, w, t},             // d
            {x, y + h / 2, t, h / 2},         // e
            {x, y, t, h / 2},                 // f
            {x, y + (h - t) / 2, w, t},       // g
        };
        for (int s = 0; s < 7; ++s) {
            if (Segments[digit] & (1 << s))
                p.drawRoundedRect(seg[s], t / 3, t / 3);
        }
    }
    p.restore();
}

void drawMotif(QPainter& p, const QRectF& area, const StampDesign& d)
{
    const QPointF c = area.center();
    const qreal r = std::min(area.width(), area.height()) * 0.38;
    p.save();
    p.setPen(QPen(d.colour.darker(140), std::max(1.0, r * 0.06)));
    p.setBrush(d.colour);
    switch (d.motif % 4) {
    case 0: { // crown
        QPainterPath crown;
        crown.moveTo(c.x() - r, c.y() + r * 0.5);
        crown.lineTo(c.x() - r, c.y() - r * 0.4);
        crown.lineTo(c.x() - r * 0.5, c.y() + r * 0.05);
        crown.lineTo(c.x(), c.y() - r * 0.7);
        crown.lineTo(c.x() + r * 0.5, c.y() + r * 0.05);
        crown.lineTo(c.x() + r, c.y() - r * 0.4);
        crown.lineTo(c.x() + r, c.y() + r * 0.5);
        crown.closeSubpath();
        p.drawPath(crown);
        p.setBrush(Paper);
        for (int i = -1; i <= 1; ++i)
            p.drawEllipse(QPointF(c.x() + i * r * 0.55, c.y() + r * 0.25), r * 0.12, r * 0.12);
        break;
    }
    case 1: { // post horn
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(d.colour, r * 0.22, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(c.x() - r * 0.8, c.y() - r * 0.6, r * 1.2, r * 1.2), 30 * 16, 300 * 16);
        p.drawLine(QPointF(c.x() + r * 0.1, c.y() - r * 0.3), QPointF(c.x() + r * 0.9, c.y() - r * 0.7));
        p.setBrush(d.colour);
        p.drawEllipse(QPointF(c.x() + r * 0.9, c.y() - r * 0.7), r * 0.2, r * 0.2);
        break;
    }
    case 2: { // ship
        QPainterPath hull;
        hull.moveTo(c.x() - r, c.y() + r * 0.3);
        hull.lineTo(c.x() + r, c.y() + r * 0.3);
        hull.lineTo(c.x() + r * 0.7, c.y() + r * 0.7);
        hull.lineTo(c.x() - r * 0.7, c.y() + r * 0.7);
        hull.closeSubpath();
        p.drawPath(hull);
        p.setBrush(Paper);
        QPainterPath sail;
        sail.moveTo(c.x(), c.y() - r * 0.9);
        sail.lineTo(c.x() + r * 0.7, c.y() + r * 0.2);
        sail.lineTo(c.x(), c.y() + r * 0.2);
        sail.closeSubpath();
        p.drawPath(sail);
        QPainterPath jib;
        jib.moveTo(c.x() - r * 0.08, c.y() - r * 0.7);
        jib.lineTo(c.x() - r * 0.08, c.y() + r * 0.2);
        jib.lineTo(c.x() - r * 0.7, c.y() + r * 0.2);
        jib.closeSubpath();
        p.drawPath(jib);
        p.drawLine(QPointF(c.x(), c.y() - r * 0.9), QPointF(c.x(), c.y() + r * 0.3));
        break;
    }
    default: { // waves
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(d.colour, std::max(1.5, r * 0.1)));
        for (int band = 0; band < 5; ++band) {
            QPainterPath wave;
            const qreal y = c.y() - r + band * r * 0.5;
            wave.moveTo(c.x() - r, y);
            for (int k = 0; k <= 40; ++k) {
                const qreal x = c.x() - r + k * r / 20;
                wave.lineTo(x, y + std::sin(k * 0.6 + band) * r * 0.12);
            }
            p.drawPath(wave);
        }
        break;
    }
    }
    p.restore();
}

void drawPostmark(QPainter& p, const QRectF& stamp)
{
    const qreal r = std::min(stamp.width(), stamp.height()) * 0.3;
    const QPointF c(stamp.right() - r * 0.9, stamp.top() + r * 1.1);
    p.save();
    p.setPen(QPen(QColor(40, 40, 50, 170), std::max(1.0, r * 0.07)));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r, r);
    p.drawEllipse(c, r * 0.65, r * 0.65);
    for (int k = 0; k < 3; ++k) {
        QPainterPath line;
        const qreal y = c.y() - r * 0.4 + k * r * 0.4;
        line.moveTo(c.x() - r * 2.6, y);
        for (int s = 0; s <= 24; ++s)
            line.lineTo(c.x() - r * 2.6 + s * r * 0.1, y + std::sin(s * 0.8) * r * 0.08);
        p.drawPath(line);
    }
    p.restore();
}

} // namespace

QImage drawStamp(QSize size, const StampDesign& d)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Paper);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal unit = std::min(size.width(), size.height()) / 100.0;
    const QRectF stamp = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(3 * unit, 3 * unit, -3 * unit, -3 * unit);

    // White paper with the perforation's teeth cut out of its edges.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xfc, 0xfb, 0xf7));
    p.drawRect(stamp);
    p.setBrush(Paper);
    const qreal hole = std::max(1.0, 2.2 * unit);
    const qreal step = hole * 2.6;
    for (qreal x = stamp.left(); x <= stamp.right(); x += step) {
        p.drawEllipse(QPointF(x, stamp.top()), hole, hole);
        p.drawEllipse(QPointF(x, stamp.bottom()), hole, hole);
    }
    for (qreal y = stamp.top(); y <= stamp.bottom(); y += step) {
        p.drawEllipse(QPointF(stamp.left(), y), hole, hole);
        p.drawEllipse(QPointF(stamp.right(), y), hole, hole);
    }

    // The printed design: a frame, a lighter field, the motif and the number.
    const QRectF frame = stamp.adjusted(7 * unit, 7 * unit, -7 * unit, -7 * unit);
    p.setBrush(d.colour);
    p.drawRect(frame);
    const QRectF field = frame.adjusted(3 * unit, 3 * unit, -3 * unit, -3 * unit);
    p.setBrush(d.colour.lighter(175));
    p.drawRect(field);
    const qreal band = std::min(field.height() * 0.22, field.width() * 0.35);
    const QRectF motif = field.adjusted(0, 0, 0, -band);
    drawMotif(p, motif, d);
    p.setBrush(d.colour);
    const QRectF label(field.left(), field.bottom() - band, field.width(), band);
    p.drawRect(label);
    // A placeholder (number 0) has a blank value tablet.
    const QString digits = d.number > 0 ? QString::number(d.number) : QString();
    const qreal digitsWidth = std::min(label.width() * 0.8, label.height() * 0.55 * digits.size());
    drawDigits(p,
               QRectF(label.center().x() - digitsWidth / 2, label.top() + label.height() * 0.15, digitsWidth,
                      label.height() * 0.7),
               digits, QColor(0xfc, 0xfb, 0xf7));
    if (d.cancelled)
        drawPostmark(p, stamp);
    p.end();
    return image;
}

void addGrain(QImage& image, quint32 seed)
{
    QRandomGenerator random(seed);
    image = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = int(random.bounded(33)) - 16;
            const QRgb c = line[x];
            line[x] = qRgb(qBound(0, qRed(c) + n, 255), qBound(0, qGreen(c) + n, 255), qBound(0, qBlue(c) + n, 255));
        }
    }
}

namespace {

void writeBmp(const QImage& image, const QString& path)
{
    QImageWriter writer(path, QByteArrayLiteral("bmp"));
    if (!writer.write(image.convertToFormat(QImage::Format_RGB32)))
        throw Error(QStringLiteral("Cannot write %1: %2").arg(path, writer.errorString()));
}

} // namespace

void writeIfAbsent(const QString& path, const QByteArray& bytes)
{
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink())
        return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Error(QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
}

namespace {

QByteArray bmpBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, QByteArrayLiteral("bmp"));
    if (!writer.write(image.convertToFormat(QImage::Format_RGB32)))
        throw Error(QStringLiteral("Cannot encode a bitmap: %1").arg(writer.errorString()));
    return bytes;
}

struct Picture {
    QString area;
    int number;
    QString file; // relative to the collection's folder
    QSize size;
    StampDesign design;
};

} // namespace

void writeStandardPictures(const QString& dir)
{
    const QDir base(dir.isEmpty() ? QStringLiteral(".") : dir);
    writeIfAbsent(base.filePath(QStringLiteral("Frim.bmp")),
                  bmpBytes(drawStamp({160, 200}, {4, QColor(0x2a, 0x5d, 0x9f), 0, false})));
    writeIfAbsent(base.filePath(QStringLiteral("frim.bmp")),
                  bmpBytes(drawStamp({84, 104}, {0, QColor(0x9a, 0x9a, 0x9a), 3, false})));
    writeIfAbsent(base.filePath(QStringLiteral("frim2.jpg")),
                  encodeJpeg(drawStamp({160, 200}, {0, QColor(0x8a, 0x8a, 0x8a), 1, false})));
}

QHash<QString, QString> writeDemoPictures(const QString& dir, int pathWidth, const QString& finalDir)
{
    const QDir base(dir.isEmpty() ? QStringLiteral(".") : dir);
    if (!base.mkpath(QStringLiteral("billeder")))
        throw Error(QStringLiteral("Cannot create the folder %1.").arg(base.filePath(QStringLiteral("billeder"))));

    writeStandardPictures(base.path());

    const QColor red(0xb0, 0x30, 0x30), blue(0x2a, 0x5d, 0x9f), green(0x2f, 0x7a, 0x4a), brown(0x8a, 0x5a, 0x2b),
        violet(0x6b, 0x3f, 0x8f), orange(0xc8, 0x6a, 0x1e);
    const QList<QColor> colours{red, blue, green, brown, violet, orange};
    QList<Picture> pictures;
    for (int n = 1; n <= 20; ++n) {
        QSize size(180, 225);
        QString ext = n % 4 == 0 ? QStringLiteral("bmp") : QStringLiteral("jpg");
        if (n == 3 || n == 9)
            size = QSize(64, 80); // within the panel's box: shown at its own size
        else if (n == 10)
            size = QSize(2000, 2500); // a large scan
        else if (n == 12)
            size = QSize(150, 520); // a tall one, a strip of the booklet
        else if (n == 14)
            size = QSize(720, 220); // a wide one
        else if (n == 16)
            size = QSize(150, 150);
        if (n == 5)
            ext = QStringLiteral("JPG");
        const QString file = QStringLiteral("billeder/dk-%1.%2").arg(n, 3, 10, QLatin1Char('0')).arg(ext);
        pictures.append({QStringLiteral("DK"), n, file, size, {n, colours[n % colours.size()], n % 4, n % 3 != 0}});
    }
    for (int n = 1; n <= 6; ++n) {
        const QString file = QStringLiteral("billeder/fr-%1.jpg").arg(n, 3, 10, QLatin1Char('0'));
        pictures.append(
            {QStringLiteral("FR"), n, file, {240, 180}, {n, colours[(n + 2) % colours.size()], 2, n % 2 == 0}});
    }
    for (int n = 1; n <= 4; ++n) {
        const QString file = QStringLiteral("billeder/gr-%1.bmp").arg(n, 3, 10, QLatin1Char('0'));
        pictures.append({QStringLiteral("GR"), n, file, {150, 190}, {n, colours[(n + 4) % colours.size()], 3, false}});
    }

    QHash<QString, QString> paths;
    for (const Picture& picture : pictures) {
        const QString target = base.filePath(picture.file);
        const QImage stamp = drawStamp(picture.size, picture.design);
        if (picture.file.endsWith(QLatin1String("bmp")))
            writeBmp(stamp, target);
        else
            writeJpeg(stamp, target);
        paths.insert(QStringLiteral("%1/%2").arg(picture.area).arg(picture.number), picture.file);
    }
    // Pictures waiting for the mass import, named after the numbers of Dansk
    // Vestindien they show, with two the import cannot place.
    const QString waiting = QStringLiteral("billeder/indlæs");
    if (!base.mkpath(waiting))
        throw Error(QStringLiteral("Cannot create the folder %1.").arg(base.filePath(waiting)));
    const QStringList waitingNames{QStringLiteral("1.jpg"),   QStringLiteral("2.jpg"),  QStringLiteral("3.bmp"),
                                   QStringLiteral("4.jpg"),   QStringLiteral("5.jpg"),  QStringLiteral("23a.jpg"),
                                   QStringLiteral("23b.bmp"), QStringLiteral("41.jpg"), QStringLiteral("forside.jpg")};
    for (qsizetype i = 0; i < waitingNames.size(); ++i) {
        const QString target = base.filePath(waiting + u'/' + waitingNames[i]);
        const QImage stamp = drawStamp({150, 190}, {int(i) + 1, colours[i % colours.size()], int(i % 4), i % 2 == 0});
        if (target.endsWith(QLatin1String("bmp")))
            writeBmp(stamp, target);
        else
            writeJpeg(stamp, target);
    }

    // A picture that has gone missing since it was attached: the panel shows the default.
    paths.insert(QStringLiteral("DK/21"), QStringLiteral("billeder/dk-021.jpg"));

    const QString absolute = QDir::cleanPath(finalDir.isEmpty() ? base.absolutePath() : QDir(finalDir).absolutePath());
    for (auto it = paths.begin(); it != paths.end(); ++it) {
        const QString full = QDir::toNativeSeparators(absolute + u'/' + it.value());
        if (full.size() <= pathWidth)
            it.value() = full;
    }
    return paths;
}

} // namespace kvilbro::tablefiles
