#pragma once

#include <QMenu>

class QAbstractItemView;

namespace kvilbro {

// `PopupMenu1` of the numbers grid, with its one item `Hentbillede` ("Hent
// billede"). A right-click on a row first makes that row the grid's current
// row, so that the picture goes to the number that was clicked. The main
// window connects the item's `triggered` to its `HentbilledeClick`.
class PicturePopupMenu : public QMenu {
    Q_OBJECT

public:
    explicit PicturePopupMenu(QAbstractItemView* grid);
    QAction* hentbillede() const { return hentbillede_; }

private:
    void openAt(const QPoint& pos);

    QAbstractItemView* grid_;
    QAction* hentbillede_;
};

} // namespace kvilbro
