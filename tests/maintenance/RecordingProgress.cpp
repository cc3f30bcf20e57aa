#include "RecordingProgress.h"

namespace kvilbro::test {

void RecordingProgress::show(const QString& text)
{
    calls << QStringLiteral("show ") + text;
    visible = true;
}

void RecordingProgress::setRange(int minimum, int maximum)
{
    calls << QStringLiteral("range %1 %2").arg(minimum).arg(maximum);
    if (maximum < minimum)
        breaches << calls.last();
    minimum_ = minimum;
    maximum_ = maximum;
}

void RecordingProgress::setPosition(int position)
{
    calls << QStringLiteral("position %1").arg(position);
    if (position < minimum_ || position > maximum_)
        breaches << calls.last();
    if (onPosition)
        onPosition(position);
}

void RecordingProgress::hide()
{
    calls << QStringLiteral("hide");
    visible = false;
}

} // namespace kvilbro::test
