#include "LabelGaugeProgress.h"

#include "Gauge.h"

#include <QCoreApplication>
#include <QLabel>

namespace kvilbro {

LabelGaugeProgress::LabelGaugeProgress(QWidget* window, QLabel* label, Gauge* gauge)
    : window_(window), label_(label), gauge_(gauge)
{
}

void LabelGaugeProgress::show(const QString& text)
{
    if (busy_)
        busy_(true);
    label_->setText(text);
    label_->adjustSize();
    label_->show();
    gauge_->show();
    window_->repaint();
}

void LabelGaugeProgress::setRange(int minimum, int maximum)
{
    gauge_->setRange(minimum, maximum);
}

void LabelGaugeProgress::setPosition(int position)
{
    const int before = gauge_->percent();
    gauge_->setPosition(position);
    if (gauge_->percent() != before)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void LabelGaugeProgress::hide()
{
    gauge_->hide();
    label_->hide();
    if (busy_)
        busy_(false);
}

} // namespace kvilbro
