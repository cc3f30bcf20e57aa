#include "PicturePanel.h"

#include "ImageWidget.h"
#include "PictureFile.h"
#include "PictureLoader.h"
#include "TableView.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLayout>

namespace kvilbro {

PicturePanel::PicturePanel(QWidget* panel, ImageWidget* image, QCheckBox* showHideBox, QWidget* mainWindow,
                           TableView& numbers, const QString& defaultPicture, QObject* parent)
    : QObject(parent), panel_(panel), image_(image), showHideBox_(showHideBox), mainWindow_(mainWindow),
      numbers_(numbers), defaultPicture_(defaultPicture)
{
    image_->move(ImagePosition);
    connect(showHideBox_, &QCheckBox::toggled, this, &PicturePanel::checkBoxChanged);
}

void PicturePanel::refresh()
{
    const QString path = numbers_.asText(u"Billede");
    show(isPictureFile(path) ? path : defaultPicture_);
    if (mainWindow_)
        mainWindow_->repaint();
}

void PicturePanel::loadStartPicture(const QString& path)
{
    show(path);
}

void PicturePanel::show(const QString& path)
{
    // Load first: a failure must leave the picture and its size as they were.
    // Meanwhile only the small picture shown is held.
    QSize fitted;
    const QImage picture = loadFittedPicture(path, image_->devicePixelRatioF(), &fitted);
    image_->setPicture(picture);
    image_->resize(fitted);
    // Against the current folder of now: a start picture named relatively.
    picturePath_ = QFileInfo(path).absoluteFilePath();
}

void PicturePanel::checkBoxChanged()
{
    const bool hide = showHideBox_->isChecked();
    showHideBox_->setText(hide ? QStringLiteral("Vis billede") : QStringLiteral("Skjul billede"));
    panel_->setVisible(!hide);
    // The numbers panel takes the freed width before the window paints.
    if (QWidget* parent = panel_->parentWidget(); parent && parent->layout())
        parent->layout()->activate();
    if (mainWindow_)
        mainWindow_->repaint();
}

const QImage& PicturePanel::picture() const
{
    return image_->picture();
}

} // namespace kvilbro
