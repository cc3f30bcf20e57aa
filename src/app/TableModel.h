#pragma once

#include <QAbstractTableModel>
#include <QList>

namespace kvilbro {

class TableView;

struct GridColumn {
    QString field;
    int width;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

// Shows a table view's rows to a grid. Rows are read lazily from the view's
// keyset as the grid paints them, so a large area costs no more than a small one.
// The vertical header is the row indicator: the current row, or the row being
// edited or inserted.
class TableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    TableModel(TableView& view, QList<GridColumn> columns, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    TableView& view() const { return view_; }
    const GridColumn& column(int c) const { return columns_[c]; }
    int fieldOf(int column) const { return fields_[column]; }
    // An editable grid always shows at least one row, so that the collector can
    // start typing into an area without numbers.
    void setEditable(bool editable);
    bool isEditable() const { return editable_; }
    // True while the rows change: a grid's current cell then moves with the
    // rows, and must not move the view in turn.
    bool isChanging() const { return changing_; }
    // While suspended the model ignores its view, whose rows may change many
    // times over; resuming reads everything anew. For long commands.
    void suspend();
    void resume();
    bool isSuspended() const { return suspended_; }

private:
    void viewReset();
    void viewRowChanged(int row);
    void viewAboutToInsert(int row);
    void viewRowInserted(int row);
    void viewAboutToRemove(int row);
    void viewRowRemoved(int row);
    void viewAboutToMove(int from, int to);
    void viewRowMoved(int from, int to);
    void viewMoved();
    int shownRows() const;

    TableView& view_;
    QList<GridColumn> columns_;
    QList<int> fields_;
    bool editable_ = false;
    int rows_ = 0;
    // Set between an announcement and its change when the grid's row count
    // stays (the empty row of an empty area becomes a new row, or back).
    bool inPlace_ = false;
    bool changing_ = false;
    bool suspended_ = false;
    int indicatorRow_ = -1;
};

} // namespace kvilbro
