#include "PicturePanel.h"

#include "ImageWidget.h"
#include "PictureFile.h"
#include "PictureFit.h"
#include "PictureLoader.h"
#include "TableView.h"

#include <QCheckBox>
#include <QLayout>

#include <utility>

namespace kvilbro {

PicturePanel::PicturePanel(QWidget* panel5, ImageWidget* image1, QCheckBox* checkBox2, QWidget* mainWindow,
                           TableView& numbers, const QString& defaultPicture, QObject* parent)
    : QObject(parent), panel5_(panel5), image1_(image1), checkBox2_(checkBox2), mainWindow_(mainWindow),
      numbers_(numbers), defaultPicture_(defaultPicture)
{
    image1_->move(ImagePosition);
    connect(checkBox2_, &QCheckBox::toggled, this, &PicturePanel::checkBoxChanged);
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
    // The picture shown before the current one lends its memory.
    const QImage picture = loadPicture(path, std::exchange(spare_, QImage()));
    QImage previous = image1_->picture();
    image1_->setPicture(picture);
    image1_->resize(fitPicture(picture.size()));
    spare_ = std::move(previous);
}

void PicturePanel::checkBoxChanged()
{
    const bool hide = checkBox2_->isChecked();
    checkBox2_->setText(hide ? QStringLiteral("Vis billede") : QStringLiteral("Skjul billede"));
    panel5_->setVisible(!hide);
    // The numbers panel takes the freed width before the window paints.
    if (QWidget* parent = panel5_->parentWidget(); parent && parent->layout())
        parent->layout()->activate();
    if (mainWindow_)
        mainWindow_->repaint();
}

const QImage& PicturePanel::picture() const
{
    return image1_->picture();
}

} // namespace kvilbro
