#include "PreviewWidget.h"

#include "PagePainter.h"

#include <QPaintEvent>
#include <QPainter>

namespace kvilbro {

PreviewWidget::PreviewWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PreviewPage"));
    setAutoFillBackground(false);
}

void PreviewWidget::setPage(PagePtr page, const QSizeF& paperMm)
{
    page_ = std::move(page);
    paper_ = paperMm;
    resize(sizeHint());
    update();
}

void PreviewWidget::setScale(double pixelsPerMm)
{
    scale_ = std::clamp(pixelsPerMm, 0.2, 40.0);
    resize(sizeHint());
    update();
}

double PreviewWidget::naturalScale() const
{
    return logicalDpiX() / 25.4;
}

QSize PreviewWidget::sizeHint() const
{
    return QSize(qCeil(paper_.width() * scale_) + 2 * Border, qCeil(paper_.height() * scale_) + 2 * Border);
}

void PreviewWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), QColor(128, 128, 128));
    const QRectF paper(Border, Border, paper_.width() * scale_, paper_.height() * scale_);
    painter.fillRect(paper.translated(3, 3), QColor(64, 64, 64));
    painter.fillRect(paper, Qt::white);
    if (!page_)
        return;
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(paper.topLeft());
    painter.setClipRect(QRectF(QPointF(0, 0), paper.size()));
    PagePainter::paint(painter, *page_, scale_, 1.0);
}

} // namespace kvilbro
