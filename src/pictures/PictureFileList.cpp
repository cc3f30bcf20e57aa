#include "PictureFileList.h"

#include <QApplication>
#include <QDir>
#include <QStyle>

namespace kvilbro {

PictureFileList::PictureFileList(QObject* parent) : QAbstractListModel(parent)
{
    icon_ = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
}

QStringList PictureFileList::pictureNames(const QString& folder)
{
    // Without QDir::System a pipe, a device or a dangling link is left out;
    // name filters match without regard to letter case.
    return QDir(folder).entryList({QStringLiteral("*.bmp"), QStringLiteral("*.jpg")}, QDir::Files,
                                  QDir::Name | QDir::IgnoreCase);
}

void PictureFileList::read(const QString& folder)
{
    beginResetModel();
    folder_ = folder;
    names_ = pictureNames(folder);
    endResetModel();
}

int PictureFileList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(names_.size());
}

QVariant PictureFileList::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= names_.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return names_[index.row()];
    case Qt::DecorationRole:
        return icon_;
    default:
        return {};
    }
}

} // namespace kvilbro
