#pragma once

#include "Progress.h"

#include <functional>

class QLabel;
class QWidget;

namespace kvilbro {

class Gauge;

// Progress shown in a window's status label and gauge. While a long command
// runs, the window is kept painted (no grey window) without letting the
// collector's clicks and keys in.
class LabelGaugeProgress : public Progress {
public:
    LabelGaugeProgress(QWidget* window, QLabel* label, Gauge* gauge);
    // Told true when a long command starts showing progress, false when it ends;
    // the window can keep the rest of itself still meanwhile.
    void setBusyHandler(std::function<void(bool)> handler) { busy_ = std::move(handler); }

    void show(const QString& text) override;
    void setRange(int minimum, int maximum) override;
    void setPosition(int position) override;
    void hide() override;

private:
    QWidget* window_;
    QLabel* label_;
    Gauge* gauge_;
    std::function<void(bool)> busy_;
};

} // namespace kvilbro
