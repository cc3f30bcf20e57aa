#pragma once

#include <QByteArray>

#include <algorithm>
#include <initializer_list>

namespace kvilbro::test {

// A progressive JPEG of any size, all mid grey (128, 128, 128), written byte
// by byte: every coefficient is zero, so 16000 x 16000 pixels take well under
// a megabyte and no picture is ever held to make it. Colour is halved both
// ways (Y 2x2, Cb and Cr 1x1), as cameras write it. A first scan of the DC
// coefficients of all three components, then one scan per component of all
// its AC coefficients, each a run of empty blocks.
namespace flatjpeg {

class BitWriter {
public:
    explicit BitWriter(QByteArray& out) : out_(out) {}
    void put(quint32 value, int count)
    {
        for (int i = count - 1; i >= 0; --i) {
            byte_ = (byte_ << 1) | ((value >> i) & 1);
            if (++used_ == 8)
                flushByte();
        }
    }
    // A scan ends on a whole byte, padded with one bits.
    void finish()
    {
        while (used_ != 0)
            put(1, 1);
    }

private:
    void flushByte()
    {
        out_.append(char(byte_));
        if (byte_ == 0xFF)
            out_.append('\0'); // stuffed, so that it is not read as a marker
        byte_ = 0;
        used_ = 0;
    }
    QByteArray& out_;
    quint32 byte_ = 0;
    int used_ = 0;
};

inline void marker(QByteArray& out, int code, const QByteArray& body)
{
    const int length = int(body.size()) + 2;
    out.append(char(0xFF)).append(char(code)).append(char(length >> 8)).append(char(length & 0xFF)).append(body);
}

inline QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

} // namespace flatjpeg

inline QByteArray flatProgressiveJpeg(int width, int height)
{
    using namespace flatjpeg;
    QByteArray out = bytes({0xFF, 0xD8});
    marker(out, 0xDB, bytes({0x00}) + QByteArray(64, '\1'));
    marker(out, 0xC2,
           bytes({8, height >> 8, height & 0xFF, width >> 8, width & 0xFF, 3, 1, 0x22, 0, 2, 0x11, 0, 3, 0x11, 0}));
    // DC: the one difference there is, 0, coded as the single bit 0.
    marker(out, 0xC4, bytes({0x00, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    // AC: the fifteen end-of-band runs EOB0..EOB14, four bits each.
    QByteArray ac = bytes({0x10, 0, 0, 0, 15, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    for (int n = 0; n < 15; ++n)
        ac.append(char(n << 4));
    marker(out, 0xC4, ac);

    marker(out, 0xDA, bytes({3, 1, 0x00, 2, 0x00, 3, 0x00, 0, 0, 0x00}));
    {
        BitWriter bits(out);
        const qint64 mcus = qint64((width + 15) / 16) * ((height + 15) / 16);
        for (qint64 i = 0; i < mcus * 6; ++i)
            bits.put(0, 1);
        bits.finish();
    }
    for (int component = 1; component <= 3; ++component) {
        marker(out, 0xDA, bytes({1, component, 0x00, 1, 63, 0x00}));
        const int factor = component == 1 ? 1 : 2;
        const qint64 columns = ((width + factor - 1) / factor + 7) / 8;
        const qint64 rows = ((height + factor - 1) / factor + 7) / 8;
        BitWriter bits(out);
        for (qint64 left = columns * rows; left > 0;) {
            const qint64 run = std::min<qint64>(left, 32767);
            int n = 0;
            while ((qint64(2) << n) <= run)
                ++n;
            bits.put(quint32(n), 4);
            bits.put(quint32(run - (qint64(1) << n)), n);
            left -= run;
        }
        bits.finish();
    }
    out.append(char(0xFF)).append(char(0xD9));
    return out;
}

} // namespace kvilbro::test
