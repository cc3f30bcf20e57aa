#include "CellDelegate.h"

#include "DBGrid.h"
#include "TableModel.h"
#include "TableView.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace kvilbro {

CellDelegate::CellDelegate(DBGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

QWidget* CellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const
{
    auto* editor = new QLineEdit(parent);
    editor->setFrame(false);
    const TableModel* model = grid_->tableModel();
    const FieldDef& field = model->view().table().fields[model->fieldOf(index.column())];
    if (field.kind == FieldKind::Text) {
        editor->setMaxLength(field.width);
    } else if (field.kind == FieldKind::Integer) {
        editor->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9+\\-]*")), editor));
    }
    editor->setAlignment(model->column(index.column()).alignment);
    connect(editor, &QLineEdit::textEdited, grid_, &DBGrid::cellTextTyped);
    return editor;
}

void CellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    // The grid sees the editor's keys first, also those the editor's own
    // handling takes (Enter, Tab, Escape): each key counts as reaching the grid.
    editor->installEventFilter(grid_);
    auto* line = static_cast<QLineEdit*>(editor);
    if (!line->isModified())
        line->setText(index.data(Qt::EditRole).toString());
}

void CellDelegate::setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const
{
    auto* line = static_cast<QLineEdit*>(editor);
    if (line->isModified() && grid_->writeCell(index, line->text()))
        line->setModified(false);
}

} // namespace kvilbro
