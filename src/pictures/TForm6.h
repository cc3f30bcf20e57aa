#pragma once

#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <QSize>

class QAction;
class QFrame;
class QScrollArea;

namespace kvilbro {

class CentredImage;
class OuterSize;

// The picture viewer: the panel's picture at its natural size, centred, with
// scroll ranges set to the picture's size. Created once at start and hidden
// while not in use; closing it hides it and keeps the picture, size and place
// (moved back onto the screen at the next showing where needed).
class TForm6 : public QMainWindow {
    Q_OBJECT

public:
    // Extra outer width and height around the picture when the viewer opens.
    static constexpr int Margin = 100;

    explicit TForm6(QWidget* parent = nullptr);

    // Shows a copy of `picture` with scroll ranges of the picture's size, in
    // a window of the picture's size + 100 outside, under `caption` (the main
    // window's); for a picture larger than the screen, as large as the
    // screen's free area, lying wholly on it. Not modal; an open viewer comes
    // to the front with the new picture.
    void showPicture(const QImage& picture, const QString& caption);
    // `Button5Click`: reads the picture file `path` (the panel's) at full size
    // and shows it as showPicture does; an empty path shows no picture. A file
    // that cannot be read, or too large a picture, throws the loader's Error
    // and leaves an open viewer as it was; a hidden one lets go of its old
    // picture before reading, so that two large pictures are never held at once.
    void showPictureFile(const QString& path, const QString& caption);

    const QImage& picture() const;
    // The horizontal and vertical scroll ranges, in pixels.
    QSize scrollRange() const;
    // Every close gives the keyboard focus to `grid` (the main window's `DBGrid2`).
    void setReturnFocus(QWidget* grid) { returnFocus_ = grid; }

signals:
    // On every close, by the menu item, the close button or Alt+F4.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void LukAltF41Click();
    void FormClose();

    QScrollArea* scrollArea_;
    QFrame* panel3_;
    CentredImage* image1_;
    QAction* lukAltF41_;
    OuterSize* outerSize_;
    bool placed_ = false;
    QPointer<QWidget> returnFocus_;
};

} // namespace kvilbro
