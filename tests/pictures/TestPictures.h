#pragma once

#include "JpegWriter.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>

namespace kvilbro::test {

// A picture of one colour, so a test can tell which file it came from.
inline QImage plainPicture(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Writes `image` as a JPEG or a bitmap, chosen by the name; folders are made.
inline void writePicture(const QString& path, const QImage& image, const tablefiles::JpegOptions& jpeg = {})
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == "bmp") {
        QImageWriter writer(path, "bmp");
        if (!writer.write(image))
            qFatal("cannot write %s", qPrintable(path));
    } else {
        tablefiles::writeJpeg(image, path, jpeg);
    }
}

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

inline QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

// Restores the process's current folder when the test is done with it.
struct CurrentDirGuard {
    CurrentDirGuard() : saved(QDir::currentPath()) {}
    ~CurrentDirGuard() { QDir::setCurrent(saved); }
    QString saved;
};

} // namespace kvilbro::test
