#pragma once

#include "Progress.h"

#include <QStringList>

#include <functional>

namespace kvilbro::test {

// Progress that writes down every call ("show <text>", "range 0 3", "position 1",
// "hide") and every breach of the gauge's rules: a maximum below the minimum,
// a position outside the range.
class RecordingProgress : public Progress {
public:
    void show(const QString& text) override;
    void setRange(int minimum, int maximum) override;
    void setPosition(int position) override;
    void hide() override;

    QStringList calls;
    QStringList breaches;
    bool visible = false;
    // Called after each position, for tests that change the world mid-run.
    std::function<void(int)> onPosition;

private:
    int minimum_ = 0;
    int maximum_ = 100;
};

} // namespace kvilbro::test
