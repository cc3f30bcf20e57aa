#include "CentredImage.h"

#include <QPaintEvent>
#include <QPainter>

namespace kvilbro {

CentredImage::CentredImage(QWidget* parent) : QWidget(parent)
{
    // The viewer sets its scroll ranges itself; the picture asks for no room.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
}

void CentredImage::setPicture(const QImage& picture)
{
    picture_ = picture;
    update();
}

QRect CentredImage::pictureRect() const
{
    const QSize size = picture_.size();
    return QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
}

void CentredImage::paintEvent(QPaintEvent* event)
{
    if (picture_.isNull())
        return;
    QPainter painter(this);
    const QRect target = pictureRect();
    const QRect visible = target & event->rect();
    if (visible.isEmpty())
        return;
    // Only the exposed part: a large picture is not blitted whole on every scroll step.
    painter.drawImage(visible.topLeft(), picture_, visible.translated(-target.topLeft()));
}

} // namespace kvilbro
