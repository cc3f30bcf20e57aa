#pragma once

#include <QStyledItemDelegate>

namespace kvilbro {

class DBGrid;

// The in-place cell editor of a grid: a line that stops at the field's width
// (digits and signs only for a number field). The row enters edit when the
// first character is typed; the cell's text is written into the row when the
// editor closes with Enter or by leaving the cell.
class CellDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit CellDelegate(DBGrid* grid);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private:
    DBGrid* grid_;
};

} // namespace kvilbro
