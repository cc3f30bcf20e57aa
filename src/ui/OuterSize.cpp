#include "OuterSize.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <utility>

namespace kvilbro {

OuterSize::OuterSize(QWidget* window) : QObject(window), window_(window)
{
    window_->installEventFilter(this);
}

QMargins OuterSize::frame() const
{
    const QWindow* handle = window_->windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

void OuterSize::set(QSize outer)
{
    const QMargins margins = frame();
    window_->resize(outer - QSize(margins.left() + margins.right(), margins.top() + margins.bottom()));
    outer_ = outer;
    pendingOuter_ = outer;
    pendingFrame_ = margins;
}

void OuterSize::centre()
{
    const QScreen* screen = window_->screen() ? window_->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QSize outer = outer_.isValid() ? outer_ : window_->frameGeometry().size();
    // QRect::center() rounds down, which would put a window as wide as an
    // even-sized screen one pixel off it.
    const QRect available = screen->availableGeometry();
    window_->move(available.x() + (available.width() - outer.width()) / 2,
                  available.y() + (available.height() - outer.height()) / 2);
    centreWhenFramed_ = pendingOuter_.isValid();
}

bool OuterSize::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_ && (event->type() == QEvent::Move || event->type() == QEvent::Show) &&
        pendingOuter_.isValid() && frame() != pendingFrame_) {
        const QSize outer = pendingOuter_;
        set(outer);
        pendingOuter_ = QSize();
        if (std::exchange(centreWhenFramed_, false))
            centre();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace kvilbro
