#pragma once

#include "TableModel.h"

#include <QSet>
#include <QTableView>

namespace kvilbro {

class Dialogs;

// A grid over a table view. Its current row is the view's current row; moving
// in the grid moves the view (finishing a pending row on the way). An editable
// grid edits rows in place; a read-only one never edits. Every action on the
// view runs through the error guard.
class DBGrid : public QTableView {
    Q_OBJECT

public:
    DBGrid(TableView& view, Dialogs& dialogs, QList<GridColumn> columns, bool editable, QWidget* parent = nullptr);

    TableModel* tableModel() const { return model_; }
    TableView& view() const { return model_->view(); }
    bool isEditing() const { return state() == QAbstractItemView::EditingState; }

    // Writes an edited cell's text into the row; false when the field refused it.
    bool writeCell(const QModelIndex& index, const QString& text);
    // The first character typed into a cell editor puts the row into edit.
    void cellTextTyped();
    // Puts the grid's current cell on the view's current row.
    void followView();

signals:
    // A key press has reached the grid or its cell editor; the grid acts after this.
    void keyPressArrived();
    // A key release has reached the grid or its cell editor, after the grid acted.
    void keyReleaseArrived();
    // A cell was clicked, after the grid moved to it.
    void cellClicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool handleKey(QKeyEvent* event);
    void writeOpenEditor();
    bool typedCharacterFits(const QKeyEvent* event) const;
    bool cameThroughEditor() const;
    void notePress(const QKeyEvent* event);
    void noteRelease(const QKeyEvent* event);

    TableModel* model_;
    Dialogs& dialogs_;
    bool syncing_ = false;
    int column_ = 0; // the column the collector is in, kept across reloads
    bool commitFailed_ = false;
    // Keys pressed here and not yet released.
    QSet<int> keysDown_;
    bool scrollPending_ = false;
};

} // namespace kvilbro
