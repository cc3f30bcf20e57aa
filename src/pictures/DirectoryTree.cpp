#include "DirectoryTree.h"

#include <QDir>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>

namespace kvilbro {

namespace {

constexpr int PathRole = Qt::UserRole;
constexpr int ReadRole = Qt::UserRole + 1;

QString pathOf(const QTreeWidgetItem* item)
{
    return item->data(0, PathRole).toString();
}

} // namespace

DirectoryTree::DirectoryTree(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setUniformRowHeights(true);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    connect(this, &QTreeWidget::itemExpanded, this, &DirectoryTree::readChildren);
    connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        if (!item)
            return;
        markOpen(item);
        emit folderChosen(pathOf(item));
    });
}

QTreeWidgetItem* DirectoryTree::addFolder(QTreeWidgetItem* parent, const QString& path, const QString& text)
{
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    item->setText(0, text);
    item->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    item->setData(0, PathRole, path);
    // Whether it has folders inside is found out when it is opened.
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
}

void DirectoryTree::readChildren(QTreeWidgetItem* item)
{
    if (item->data(0, ReadRole).toBool())
        return;
    item->setData(0, ReadRole, true);
    const QDir dir(pathOf(item));
    const QStringList names = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names)
        addFolder(item, dir.filePath(name), name);
    if (names.isEmpty())
        item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

void DirectoryTree::showDrive(const QString& drive, const QString& open)
{
    clear();
    drive_ = QDir::cleanPath(drive);
    QTreeWidgetItem* item = addFolder(nullptr, drive_, QDir::toNativeSeparators(drive_));
    // Unfold the branches from the drive down to the open folder.
    const QString target = QDir::cleanPath(open);
    QString rest = target.startsWith(drive_) ? target.mid(drive_.size()) : QString();
    const QStringList steps = rest.split(u'/', Qt::SkipEmptyParts);
    for (const QString& step : steps) {
        item->setExpanded(true);
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < item->childCount() && !next; ++i) {
            if (item->child(i)->text(0) == step)
                next = item->child(i);
        }
        if (!next) // a hidden folder is not listed, but can be open
            next = addFolder(item, QDir(pathOf(item)).filePath(step), step);
        item = next;
    }
    item->setExpanded(true);
    markOpen(item);
}

void DirectoryTree::showEvent(QShowEvent* event)
{
    QTreeWidget::showEvent(event);
    // Scrolling before the first showing has no size to work with.
    if (currentItem())
        scrollToItem(currentItem(), QAbstractItemView::PositionAtCenter);
    horizontalScrollBar()->setValue(0);
}

void DirectoryTree::markOpen(QTreeWidgetItem* item)
{
    open_ = pathOf(item);
    setCurrentItem(item);
    scrollToItem(item);
    horizontalScrollBar()->setValue(0);
}

} // namespace kvilbro
