#pragma once

#include "PageList.h"

#include <QWidget>

namespace kvilbro {

// One page of a page list, drawn at a zoom on a grey desk.
class PreviewWidget : public QWidget {
    Q_OBJECT

public:
    explicit PreviewWidget(QWidget* parent = nullptr);

    void setPage(PagePtr page, const QSizeF& paperMm);
    const PagePtr& page() const { return page_; }
    // Screen pixels per millimetre of paper.
    void setScale(double pixelsPerMm);
    double scale() const { return scale_; }
    // The scale at which the paper is shown at its real size.
    double naturalScale() const;
    static constexpr int Border = 12;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PagePtr page_;
    QSizeF paper_{210, 297};
    double scale_ = 2;
};

} // namespace kvilbro
