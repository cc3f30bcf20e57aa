#include "Windows1252File.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <sys/stat.h>

namespace kvilbro {

namespace {

// Text is encoded in pieces of about this many characters.
constexpr qsizetype BufferedCharacters = 64 * 1024;

} // namespace

QByteArray Windows1252::encode(QStringView text, qsizetype* replaced)
{
    QStringEncoder encoder("windows-1252", QStringEncoder::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (!encoder.hasError())
        return bytes;
    // The encoder only says that something failed (and writes SUB for it), so
    // go again character by character; a surrogate pair is one character.
    bytes.clear();
    bytes.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype length = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            length = 2;
        const QStringView character = text.mid(i, length);
        QStringEncoder single("windows-1252", QStringEncoder::Flag::Stateless);
        const QByteArray one = single.encode(character);
        if (single.hasError()) {
            bytes.append('?');
            if (replaced)
                ++*replaced;
        } else {
            bytes.append(one);
        }
        i += length;
    }
    return bytes;
}

QString Windows1252::decode(QByteArrayView bytes)
{
    QStringDecoder decoder("windows-1252", QStringDecoder::Flag::Stateless);
    return decoder.decode(bytes);
}

Windows1252File::Windows1252File(const QString& path) : file_(path) {}

Windows1252File::~Windows1252File()
{
    if (file_.isOpen())
        file_.close();
}

bool Windows1252File::open()
{
    // Only a new or an ordinary file: opening a pipe for writing would wait for
    // a reader forever, and a device is no place for the collector's text.
    struct stat info {};
    const QByteArray name = QFile::encodeName(file_.fileName());
    if (::stat(name.constData(), &info) == 0 && !S_ISREG(info.st_mode)) {
        failed_ = true;
        return false;
    }
    // Our own buffer is the only one, so every write below reaches the disk and is checked.
    failed_ = !file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered);
    return !failed_;
}

void Windows1252File::write(QStringView text)
{
    if (failed_)
        return;
    text_.append(text);
    if (text_.size() >= BufferedCharacters)
        flushText();
}

void Windows1252File::flushText()
{
    if (text_.isEmpty() || failed_)
        return;
    const QByteArray bytes = Windows1252::encode(text_, &replaced_);
    text_.clear();
    if (file_.write(bytes) != bytes.size())
        failed_ = true;
}

bool Windows1252File::close()
{
    if (!file_.isOpen())
        return false;
    flushText();
    file_.close();
    if (file_.error() != QFileDevice::NoError)
        failed_ = true;
    return !failed_;
}

} // namespace kvilbro
