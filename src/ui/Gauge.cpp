#include "Gauge.h"

#include <QPainter>

namespace kvilbro {

Gauge::Gauge(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Gauge::setRange(int minimum, int maximum)
{
    const int before = percent();
    minimum_ = minimum;
    maximum_ = std::max(minimum, maximum);
    position_ = std::clamp(position_, minimum_, maximum_);
    if (percent() != before && isVisible())
        repaint();
}

void Gauge::setPosition(int position)
{
    const int before = percent();
    position_ = std::clamp(position, minimum_, maximum_);
    if (percent() != before && isVisible())
        repaint();
}

int Gauge::percent() const
{
    if (maximum_ <= minimum_)
        return 0;
    return int((qint64(position_) - minimum_) * 100 / (qint64(maximum_) - minimum_));
}

void Gauge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    const QRect inside = rect().adjusted(1, 1, -1, -1);
    painter.fillRect(inside, Qt::red);
    const int doneWidth = inside.width() * percent() / 100;
    const QRect done(inside.left(), inside.top(), doneWidth, inside.height());
    painter.fillRect(done, Qt::black);
    painter.setPen(Qt::black);
    painter.drawRect(frame);

    // The percentage reads in the bar's colours swapped where it crosses the done part.
    const QString text = QStringLiteral("%1%").arg(percent());
    painter.setClipRect(inside);
    painter.setPen(Qt::black);
    painter.drawText(inside, Qt::AlignCenter, text);
    painter.setClipRect(done);
    painter.setPen(Qt::red);
    painter.drawText(inside, Qt::AlignCenter, text);
}

} // namespace kvilbro
