#pragma once

#include <QMargins>
#include <QObject>
#include <QSize>

class QWidget;

namespace kvilbro {

// Keeps a top-level window at an outer size, the window manager's frame
// included. The frame is known only after the window is shown, so the size
// asked for is set again once the frame arrives.
class OuterSize : public QObject {
public:
    explicit OuterSize(QWidget* window);

    void set(QSize outer);
    // Moves the window so that its outer frame is centred on its screen's
    // free area; again once the frame is known.
    void centre();
    QMargins frame() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    QSize outer_;
    QSize pendingOuter_;
    QMargins pendingFrame_;
    bool centreWhenFramed_ = false;
};

} // namespace kvilbro
