#pragma once

#include <QTreeWidget>

namespace kvilbro {

// The import window's directory list: the folders of one drive as a tree,
// read when a branch is opened. Enter or a double-click opens a folder.
class DirectoryTree : public QTreeWidget {
    Q_OBJECT

public:
    explicit DirectoryTree(QWidget* parent = nullptr);

    // Shows the tree of `drive` with the branches down to `open` (a folder
    // on it) unfolded and `open` marked as the open folder.
    void showDrive(const QString& drive, const QString& open);
    QString drive() const { return drive_; }
    QString openFolder() const { return open_; }

protected:
    void showEvent(QShowEvent* event) override;

signals:
    // Enter or a double-click on a folder.
    void folderChosen(const QString& folder);

private:
    QTreeWidgetItem* addFolder(QTreeWidgetItem* parent, const QString& path, const QString& text);
    void readChildren(QTreeWidgetItem* item);
    void markOpen(QTreeWidgetItem* item);

    QString drive_;
    QString open_;
};

} // namespace kvilbro
