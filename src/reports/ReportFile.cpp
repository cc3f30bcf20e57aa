#include "ReportFile.h"

#include "Error.h"
#include "PageList.h"
#include "ReportMessages.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <bit>
#include <cmath>

namespace kvilbro {

namespace {

constexpr QDataStream::Version StreamVersion = QDataStream::Qt_6_4;
// Far above any real report; a count beyond these means a damaged file.
constexpr quint32 MaxPages = 1000000;
constexpr quint32 MaxCount = 50000000;

struct Damaged {};

void writeFloat(QDataStream& out, float v)
{
    out << std::bit_cast<quint32>(v);
}

float readFloat(QDataStream& in)
{
    quint32 bits = 0;
    in >> bits;
    const float v = std::bit_cast<float>(bits);
    if (!std::isfinite(v))
        throw Damaged{};
    return v;
}

QByteArray encodePayload(const PageList& pages)
{
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out.setVersion(StreamVersion);
    out.setFloatingPointPrecision(QDataStream::DoublePrecision);
    const QList<PagePtr> all = pages.pages();
    out << pages.title() << pages.paperSize().width() << pages.paperSize().height() << quint32(all.size());
    for (const PagePtr& page : all) {
        out << qint32(page->number) << quint32(page->fonts.size());
        for (const ReportFont& f : page->fonts)
            out << f.family << f.pointSize << f.bold;
        out << page->text << quint32(page->items.size());
        for (const PageItem& item : page->items) {
            out << quint8(item.kind) << item.flags << item.font;
            for (float v : {item.x, item.y, item.w, item.h, item.textX, item.baseline})
                writeFloat(out, v);
            out << item.ref << item.length;
        }
        out << quint32(page->images.size());
        for (const QImage& image : page->images)
            out << image;
    }
    return payload;
}

void require(bool condition)
{
    if (!condition)
        throw Damaged{};
}

PageList decodePayload(const QByteArray& payload)
{
    QDataStream in(payload);
    in.setVersion(StreamVersion);
    in.setFloatingPointPrecision(QDataStream::DoublePrecision);
    QString title;
    double width = 0;
    double height = 0;
    quint32 count = 0;
    in >> title >> width >> height >> count;
    require(in.status() == QDataStream::Ok && std::isfinite(width) && std::isfinite(height) && width > 0 &&
            height > 0 && width < 10000 && height < 10000 && count <= MaxPages);
    PageList pages;
    pages.setTitle(title);
    pages.setPaperSize(QSizeF(width, height));
    for (quint32 p = 0; p < count; ++p) {
        auto page = std::make_shared<Page>();
        qint32 number = 0;
        quint32 fonts = 0;
        in >> number >> fonts;
        require(in.status() == QDataStream::Ok && fonts <= 0xffff);
        page->number = number;
        for (quint32 i = 0; i < fonts; ++i) {
            ReportFont f;
            in >> f.family >> f.pointSize >> f.bold;
            require(in.status() == QDataStream::Ok && std::isfinite(f.pointSize) && f.pointSize > 0 &&
                    f.pointSize < 1000);
            page->fonts.append(f);
        }
        quint32 items = 0;
        in >> page->text >> items;
        require(in.status() == QDataStream::Ok && items <= MaxCount);
        page->items.reserve(items);
        for (quint32 i = 0; i < items; ++i) {
            PageItem item;
            quint8 kind = 0;
            in >> kind >> item.flags >> item.font;
            require(kind <= PageItem::Image);
            item.kind = PageItem::Kind(kind);
            item.x = readFloat(in);
            item.y = readFloat(in);
            item.w = readFloat(in);
            item.h = readFloat(in);
            item.textX = readFloat(in);
            item.baseline = readFloat(in);
            in >> item.ref >> item.length;
            require(in.status() == QDataStream::Ok);
            if (item.kind == PageItem::Text)
                require(item.font < fonts && quint64(item.ref) + item.length <= quint64(page->text.size()));
            page->items.append(item);
        }
        quint32 images = 0;
        in >> images;
        require(in.status() == QDataStream::Ok && images <= MaxCount);
        for (quint32 i = 0; i < images; ++i) {
            QImage image;
            in >> image;
            require(in.status() == QDataStream::Ok);
            page->images.append(image);
        }
        for (const PageItem& item : page->items) {
            if (item.kind == PageItem::Image)
                require(item.ref < quint32(page->images.size()));
        }
        pages.append(std::move(page));
    }
    require(in.status() == QDataStream::Ok && in.atEnd());
    return pages;
}

} // namespace

QByteArray ReportFile::encode(const PageList& pages)
{
    const QByteArray payload = encodePayload(pages);
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(StreamVersion);
    out << Signature << Version << QCryptographicHash::hash(payload, QCryptographicHash::Sha256) << payload;
    return bytes;
}

PageList ReportFile::decode(const QByteArray& bytes, const QString& fileName)
{
    try {
        QDataStream in(bytes);
        in.setVersion(StreamVersion);
        quint32 signature = 0;
        quint16 version = 0;
        in >> signature >> version;
        require(in.status() == QDataStream::Ok && signature == Signature);
        if (version != Version) {
            throw Error(reportmessages::reportFileOfAnotherVersion(fileName), Error::Kind::File);
        }
        QByteArray hash;
        QByteArray payload;
        in >> hash >> payload;
        require(in.status() == QDataStream::Ok && in.atEnd());
        require(hash == QCryptographicHash::hash(payload, QCryptographicHash::Sha256));
        return decodePayload(payload);
    } catch (const Damaged&) {
        throw Error(reportmessages::notAReportFile(fileName), Error::Kind::File);
    }
}

void ReportFile::save(const PageList& pages, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(encode(pages)) < 0 || !file.commit())
        throw Error(reportmessages::cannotWrite(path, file.errorString()), Error::Kind::File);
}

PageList ReportFile::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(reportmessages::cannotOpen(path, file.errorString()), Error::Kind::File);
    return decode(file.readAll(), QFileInfo(path).fileName());
}

} // namespace kvilbro
