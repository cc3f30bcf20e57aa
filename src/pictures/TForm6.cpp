#include "TForm6.h"

#include "CentredImage.h"
#include "OuterSize.h"
#include "PictureLoader.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QMenuBar>
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
    const QSize outer = picture.size() + QSize(Margin, Margin);
    outerSize_->set(outer);
    if (!placed_) {
        outerSize_->centre();
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
