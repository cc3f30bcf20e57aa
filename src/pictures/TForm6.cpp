#include "TForm6.h"

#include "CentredImage.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWindow>

namespace kvilbro {

TForm6::TForm6(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form6"));
    setWindowFlag(Qt::Window);

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
    const QSize outer = picture.size() + QSize(Margin, Margin);
    setOuterSize(outer);
    if (!placed_) {
        const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            const QRect available = screen->availableGeometry();
            move(available.center() - QPoint(outer.width() / 2, outer.height() / 2));
        }
        placed_ = true;
    }
    show();
    setOuterSize(outer);
    raise();
    activateWindow();
}

QMargins TForm6::frameMargins() const
{
    const QWindow* window = windowHandle();
    return window ? window->frameMargins() : QMargins();
}

void TForm6::setOuterSize(QSize outer)
{
    const QMargins frame = frameMargins();
    resize(outer - QSize(frame.left() + frame.right(), frame.top() + frame.bottom()));
    pendingOuter_ = outer;
    pendingFrame_ = frame;
}

void TForm6::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    // A window manager puts its frame around the window after it is shown:
    // the size asked for is the outer one, frame included.
    if (pendingOuter_.isValid() && frameMargins() != pendingFrame_) {
        const QSize outer = pendingOuter_;
        setOuterSize(outer);
        pendingOuter_ = QSize();
    }
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
