#include "ImageWidget.h"

#include <QPainter>

namespace kvilbro {

ImageWidget::ImageWidget(QWidget* parent) : QWidget(parent) {}

void ImageWidget::setPicture(const QImage& picture)
{
    picture_ = picture;
    update();
}

void ImageWidget::paintEvent(QPaintEvent*)
{
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), picture_);
}

} // namespace kvilbro
