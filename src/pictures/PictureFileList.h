#pragma once

#include <QAbstractListModel>
#include <QIcon>
#include <QStringList>

namespace kvilbro {

// The import window's file list: the picture files of one folder, "*.bmp"
// and "*.jpg" in any letter case, ordinary files only (no folders, hidden
// files, pipes or devices), sorted by name.
class PictureFileList : public QAbstractListModel {
    Q_OBJECT

public:
    explicit PictureFileList(QObject* parent = nullptr);

    // Reads `folder` anew.
    void read(const QString& folder);
    QString folder() const { return folder_; }
    const QStringList& names() const { return names_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    static QStringList pictureNames(const QString& folder);

private:
    QString folder_;
    QStringList names_;
    QIcon icon_;
};

} // namespace kvilbro
