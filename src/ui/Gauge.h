#pragma once

#include <QWidget>

namespace kvilbro {

// A horizontal progress bar with a single border: the done part black on a
// red ground, the percentage written across it. It repaints itself at once,
// but only when the percentage it shows changes.
class Gauge : public QWidget {
    Q_OBJECT

public:
    explicit Gauge(QWidget* parent = nullptr);

    // A maximum below the minimum is raised to the minimum.
    void setRange(int minimum, int maximum);
    // The position is kept within the range.
    void setPosition(int position);
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    int position() const { return position_; }
    int percent() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int minimum_ = 0;
    int maximum_ = 100;
    int position_ = 0;
};

} // namespace kvilbro
