// libFuzzer target: picture data decoded as loadPicture decodes a file.
// Data starting with "BM" goes to the bitmap decoder, anything else to the
// JPEG decoder. Pictures are held to 64 MiB decoded so that the fuzzer's
// memory limit is never the finding.
#include "Error.h"
#include "PictureLoader.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace {

// libjpeg and Qt are not instrumented, so the fuzzer cannot see how far
// into them an input got. Each outcome (an error's wording, a picture's size
// class) calls one of these distinct functions, which it can see.
template <int N> [[gnu::noinline]] void outcome()
{
    asm volatile("" ::: "memory");
}

template <int... I> constexpr auto outcomeTable(std::integer_sequence<int, I...>)
{
    return std::array<void (*)(), sizeof...(I)>{&outcome<I>...};
}

constexpr auto Outcomes = outcomeTable(std::make_integer_sequence<int, 512>());

void note(unsigned value)
{
    Outcomes[value % Outcomes.size()]();
}

// The message without its numbers, so that "starts with 0x12 0x34" is one outcome.
unsigned messageClass(const QString& message)
{
    unsigned hash = 2166136261u;
    for (QChar c : message) {
        if (c.isDigit())
            continue;
        hash = (hash ^ c.unicode()) * 16777619u;
    }
    return 256 + hash % 256;
}

unsigned log2Class(int v)
{
    unsigned bits = 0;
    while (v > 1 && bits < 15) {
        v >>= 1;
        ++bits;
    }
    return bits;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const bool bitmap = bytes.startsWith("BM");
    try {
        const QImage image = kvilbro::decodePicture(buffer, bitmap ? QStringLiteral("bmp") : QStringLiteral("jpg"),
                                                    QString(), qint64(64) << 20);
        note(log2Class(image.width()) * 16 + log2Class(image.height()));
        note(300 + unsigned(image.format()));
        // Touch every byte the picture claims to have.
        unsigned sum = 0;
        for (int y = 0; y < image.height(); ++y) {
            const uchar* line = image.constScanLine(y);
            for (qsizetype x = 0; x < image.bytesPerLine(); ++x)
                sum += line[x];
        }
        note(400 + sum % 2);
    } catch (const kvilbro::Error& e) {
        note(messageClass(e.message()));
    }
    return 0;
}
