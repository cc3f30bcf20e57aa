#pragma once

#include <QImage>
#include <QWidget>

namespace kvilbro {

// A picture drawn at its natural size, one picture pixel to one screen
// pixel, centred in the widget (and cut where the widget is smaller).
class CentredImage : public QWidget {
    Q_OBJECT

public:
    explicit CentredImage(QWidget* parent = nullptr);
    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }
    // Where the picture is drawn, in the widget's coordinates.
    QRect pictureRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

} // namespace kvilbro
