#include "TForm6.h"

#include "CentredImage.h"
#include "OuterSize.h"
#include "PictureLoader.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

namespace kvilbro {

TForm6::TForm6(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form6"));
    setWindowFlag(Qt::Window);
    outerSize_ = new OuterSize(this);

    QMenuBar* mainMenu1 = menuBar();
    mainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    lukAltF41_ = new QAction(QStringLiteral("&Luk   (Alt+F4)"), this);
    lukAltF41_->setObjectName(QStringLiteral("LukAltF41"));
    // Also where no window manager serves Alt+F4 (a bare X server).
    lukAltF41_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    mainMenu1->addAction(lukAltF41_);
    addAction(lukAltF41_);
    connect(lukAltF41_, &QAction::triggered, this, &TForm6::LukAltF41Click);

    // The scroll ranges are ours to set: Panel3 fills the client area but is
    // never smaller than the ranges, and the area scrolls where it is larger.
    scrollArea_ = new QScrollArea(this);
    scrollArea_->setObjectName(QStringLiteral("ScrollBox"));
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setWidgetResizable(true);
    panel3_ = new QFrame;
    panel3_->setObjectName(QStringLiteral("Panel3"));
    panel3_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel3_->setLineWidth(1);
    auto* layout = new QVBoxLayout(panel3_);
    layout->setContentsMargins(0, 0, 0, 0);
    image1_ = new CentredImage(panel3_);
    image1_->setObjectName(QStringLiteral("Image1"));
    layout->addWidget(image1_);
    scrollArea_->setWidget(panel3_);
    setCentralWidget(scrollArea_);

    FormCreate();
}

void TForm6::FormCreate()
{
    // Centred on the screen, at the first showing only; see showPicture.
    placed_ = false;
}

void TForm6::showPicture(const QImage& picture, const QString& caption)
{
    image1_->setPicture(picture);
    panel3_->setMinimumSize(picture.size());
    setWindowTitle(caption);
    // The picture and a margin, but no larger than the screen's free area;
    // the scroll bars show the rest.
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    QSize outer = picture.size() + QSize(Margin, Margin);
    if (available.isValid())
        outer = outer.boundedTo(available.size());
    outerSize_->set(outer);
    if (available.isValid()) {
        // Centred the first time, to the pixel: a window as large as the free
        // area must not start one pixel off it. Afterwards where it was left,
        // unless part of it would be off the screen now: then moved just far
        // enough.
        const QPoint centred = available.topLeft() + QPoint((available.width() - outer.width()) / 2,
                                                            (available.height() - outer.height()) / 2);
        const QPoint from = placed_ ? pos() : centred;
        const QPoint onScreen(qBound(available.left(), from.x(), available.right() + 1 - outer.width()),
                              qBound(available.top(), from.y(), available.bottom() + 1 - outer.height()));
        if (!placed_ || onScreen != pos())
            move(onScreen);
        placed_ = true;
    }
    show();
    outerSize_->set(outer);
    raise();
    activateWindow();
}

void TForm6::showPictureFile(const QString& path, const QString& caption)
{
    if (!isVisible())
        image1_->setPicture(QImage());
    const QImage picture = path.isEmpty() ? QImage() : loadPicture(path);
    showPicture(picture, caption);
}

const QImage& TForm6::picture() const
{
    return image1_->picture();
}

QSize TForm6::scrollRange() const
{
    return panel3_->minimumSize();
}

void TForm6::LukAltF41Click()
{
    close();
}

void TForm6::closeEvent(QCloseEvent* event)
{
    // Closing only hides the window; it lives for the next opening.
    QMainWindow::closeEvent(event);
    if (event->isAccepted())
        FormClose();
}

void TForm6::FormClose()
{
    if (returnFocus_) {
        QWidget* window = returnFocus_->window();
        window->raise();
        window->activateWindow();
        returnFocus_->setFocus(Qt::OtherFocusReason);
    }
    emit closed();
}

} // namespace kvilbro
