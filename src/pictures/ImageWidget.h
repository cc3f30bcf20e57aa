#pragma once

#include <QImage>
#include <QWidget>

namespace kvilbro {

// A picture drawn stretched to exactly the widget's own size.
class ImageWidget : public QWidget {
    Q_OBJECT

public:
    explicit ImageWidget(QWidget* parent = nullptr);
    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

} // namespace kvilbro
