#include "TableModel.h"

#include "TableView.h"

namespace kvilbro {

TableModel::TableModel(TableView& view, QList<GridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), view_(view), columns_(std::move(columns))
{
    for (const GridColumn& c : std::as_const(columns_))
        fields_ << view_.fieldIndex(c.field);
    rows_ = shownRows();
    indicatorRow_ = view_.currentRow();
    connect(&view_, &TableView::rowsReset, this, &TableModel::viewReset);
    connect(&view_, &TableView::rowChanged, this, &TableModel::viewRowChanged);
    connect(&view_, &TableView::positionChanged, this, &TableModel::viewMoved);
}

int TableModel::shownRows() const
{
    return std::max(view_.rowCount(), editable_ ? 1 : 0);
}

void TableModel::setEditable(bool editable)
{
    beginResetModel();
    editable_ = editable;
    rows_ = shownRows();
    endResetModel();
}

int TableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_;
}

int TableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant TableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= view_.rowCount())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return view_.rowText(index.row(), fields_[index.column()]);
    case Qt::TextAlignmentRole:
        return int(columns_[index.column()].alignment);
    default:
        return QVariant();
    }
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < columns_.size() ? columns_[section].field : QString();
    if (section != view_.currentRow())
        return QString();
    switch (view_.state()) {
    case TableView::State::Insert:
        return QStringLiteral("*");
    case TableView::State::Edit:
        return QStringLiteral("I");
    case TableView::State::Browse:
        break;
    }
    return QStringLiteral("▶");
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (editable_)
        f |= Qt::ItemIsEditable;
    return f;
}

void TableModel::viewReset()
{
    beginResetModel();
    rows_ = shownRows();
    indicatorRow_ = view_.currentRow();
    endResetModel();
}

void TableModel::viewRowChanged(int row)
{
    if (row < 0 || row >= rows_)
        return;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    emit headerDataChanged(Qt::Vertical, row, row);
}

void TableModel::viewMoved()
{
    if (shownRows() != rows_) {
        viewReset();
        return;
    }
    const int previous = indicatorRow_;
    indicatorRow_ = view_.currentRow();
    if (previous >= 0 && previous < rows_)
        emit headerDataChanged(Qt::Vertical, previous, previous);
    if (indicatorRow_ >= 0 && indicatorRow_ < rows_)
        emit headerDataChanged(Qt::Vertical, indicatorRow_, indicatorRow_);
}

} // namespace kvilbro
