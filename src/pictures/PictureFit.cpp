#include "PictureFit.h"

#include <cmath>

namespace kvilbro {

namespace {

static_assert(sizeof(long double) > sizeof(double), "the fit needs an extended-precision long double");

// Shrinks `shorter` by the percentage by which `longer` was cut to the box.
int shrinkBy(int longer, int fitted, int shorter)
{
    // 100 * (longer - fitted) is a whole number; the division is extended.
    const long double quotient = static_cast<long double>(100LL * (longer - fitted)) / longer;
    const double percent = static_cast<double>(quotient);
    const long double value = shorter - shorter * static_cast<long double>(percent) / 100.0L;
    // rint rounds halves to the even neighbour in the default rounding mode.
    return static_cast<int>(std::rint(value));
}

} // namespace

QSize fitPicture(QSize natural)
{
    const int w = natural.width();
    const int h = natural.height();
    if (w <= 0 && h <= 0)
        return QSize(0, 0);
    int width = w;
    int height = h;
    if (h > w) {
        if (height > PictureBox)
            height = PictureBox;
        width = shrinkBy(h, height, w);
    } else {
        if (width > PictureBox)
            width = PictureBox;
        height = shrinkBy(w, width, h);
    }
    return QSize(width, height);
}

} // namespace kvilbro
