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
    connect(&view_, &TableView::aboutToReset, this, [this] {
        if (suspended_)
            return;
        changing_ = true;
        beginResetModel();
    });
    connect(&view_, &TableView::rowsReset, this, &TableModel::viewReset);
    connect(&view_, &TableView::aboutToInsertRow, this, &TableModel::viewAboutToInsert);
    connect(&view_, &TableView::aboutToRemoveRow, this, &TableModel::viewAboutToRemove);
    connect(&view_, &TableView::aboutToMoveRow, this, &TableModel::viewAboutToMove);
    connect(&view_, &TableView::rowChanged, this, &TableModel::viewRowChanged);
    connect(&view_, &TableView::rowInserted, this, &TableModel::viewRowInserted);
    connect(&view_, &TableView::rowRemoved, this, &TableModel::viewRowRemoved);
    connect(&view_, &TableView::rowMoved, this, &TableModel::viewRowMoved);
    connect(&view_, &TableView::positionChanged, this, &TableModel::viewMoved);
}

int TableModel::shownRows() const
{
    return std::max(view_.rowCount(), editable_ ? 1 : 0);
}

void TableModel::suspend()
{
    suspended_ = true;
}

void TableModel::resume()
{
    if (!suspended_)
        return;
    suspended_ = false;
    beginResetModel();
    viewReset();
}

void TableModel::setEditable(bool editable)
{
    beginResetModel();
    editable_ = editable;
    viewReset();
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
    case Qt::EditRole: {
        // A foreign file may hold more than the field takes; the grid shows
        // what the field can hold, not megabytes that would stall each paint.
        const FieldDef& field = view_.table().fields[fields_[index.column()]];
        QString text = view_.rowText(index.row(), fields_[index.column()]);
        if (field.kind == FieldKind::Text && text.size() > field.width)
            text.truncate(field.width);
        return text;
    }
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
    if (editable_ && index.isValid())
        f |= Qt::ItemIsEditable;
    return f;
}

void TableModel::viewReset()
{
    if (suspended_)
        return;
    rows_ = shownRows();
    indicatorRow_ = view_.currentRow();
    endResetModel();
    changing_ = false;
}

void TableModel::viewRowChanged(int row)
{
    if (suspended_)
        return;
    if (row < 0 || row >= rows_)
        return;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    emit headerDataChanged(Qt::Vertical, row, row);
}

void TableModel::viewAboutToInsert(int row)
{
    if (suspended_)
        return;
    changing_ = true;
    inPlace_ = editable_ && view_.rowCount() == 0;
    if (!inPlace_)
        beginInsertRows(QModelIndex(), row, row);
}

void TableModel::viewRowInserted(int row)
{
    if (suspended_)
        return;
    rows_ = shownRows();
    if (inPlace_)
        viewRowChanged(row);
    else
        endInsertRows();
    inPlace_ = false;
    changing_ = false;
}

void TableModel::viewAboutToRemove(int row)
{
    if (suspended_)
        return;
    changing_ = true;
    inPlace_ = editable_ && view_.rowCount() == 1;
    if (!inPlace_)
        beginRemoveRows(QModelIndex(), row, row);
}

void TableModel::viewRowRemoved(int)
{
    if (suspended_)
        return;
    rows_ = shownRows();
    if (inPlace_)
        viewRowChanged(0);
    else
        endRemoveRows();
    inPlace_ = false;
    changing_ = false;
}

void TableModel::viewAboutToMove(int from, int to)
{
    if (suspended_)
        return;
    changing_ = true;
    if (from != to)
        beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to);
}

void TableModel::viewRowMoved(int from, int to)
{
    if (suspended_)
        return;
    if (from != to)
        endMoveRows();
    changing_ = false;
    emit dataChanged(index(std::min(from, to), 0), index(std::max(from, to), columnCount() - 1));
    emit headerDataChanged(Qt::Vertical, std::min(from, to), std::max(from, to));
}

void TableModel::viewMoved()
{
    if (suspended_)
        return;
    if (shownRows() != rows_) {
        // Cannot happen when every change is announced; read everything anew if it does.
        beginResetModel();
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
