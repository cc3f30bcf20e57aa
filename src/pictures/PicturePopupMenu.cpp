#include "PicturePopupMenu.h"

#include <QAbstractItemView>

namespace kvilbro {

PicturePopupMenu::PicturePopupMenu(QAbstractItemView* grid) : QMenu(grid), grid_(grid)
{
    setObjectName(QStringLiteral("PopupMenu1"));
    hentbillede_ = addAction(QStringLiteral("Hent billede"));
    hentbillede_->setObjectName(QStringLiteral("Hentbillede"));
    grid_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid_, &QWidget::customContextMenuRequested, this, &PicturePopupMenu::openAt);
}

void PicturePopupMenu::openAt(const QPoint& pos)
{
    const QModelIndex index = grid_->indexAt(pos);
    if (index.isValid() && index.row() != grid_->currentIndex().row())
        grid_->setCurrentIndex(index);
    popup(grid_->viewport()->mapToGlobal(pos));
}

} // namespace kvilbro
