#include "DBGrid.h"

#include "CellDelegate.h"
#include "Dialogs.h"
#include "ErrorGuard.h"
#include "TableView.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

namespace kvilbro {

namespace {

constexpr int RowHeight = 17;
constexpr int IndicatorWidth = 12;

// The row indicator column. Its size never depends on its contents, so it
// answers at once instead of measuring rows each time rows come and go.
class IndicatorHeader : public QHeaderView {
public:
    explicit IndicatorHeader(QWidget* parent) : QHeaderView(Qt::Vertical, parent) {}
    QSize sizeHint() const override { return QSize(IndicatorWidth, RowHeight); }

protected:
    QSize sectionSizeFromContents(int) const override { return QSize(IndicatorWidth, RowHeight); }
};

} // namespace

DBGrid::DBGrid(TableView& view, Dialogs& dialogs, QList<GridColumn> columns, bool editable, QWidget* parent)
    : QTableView(parent), model_(new TableModel(view, columns, this)), dialogs_(dialogs)
{
    model_->setEditable(editable);
    setModel(model_);
    setItemDelegate(new CellDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(editable ? (QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed)
                             : QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(true);
    setShowGrid(true);
    setWordWrap(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);

    setVerticalHeader(new IndicatorHeader(this));
    QHeaderView* rows = verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(RowHeight);
    rows->setMinimumSectionSize(RowHeight);
    rows->setFixedWidth(IndicatorWidth);
    rows->setDefaultAlignment(Qt::AlignCenter);
    QHeaderView* titles = horizontalHeader();
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    titles->setHighlightSections(false);
    titles->setFixedHeight(RowHeight + 1);
    for (int c = 0; c < columns.size(); ++c)
        setColumnWidth(c, columns[c].width);

    if (editable)
        view.setBeforeFinish([this] { writeOpenEditor(); });
    connect(model_, &QAbstractItemModel::modelReset, this, &DBGrid::followView);
    connect(&view, &TableView::positionChanged, this, &DBGrid::followView);
    followView();
}

void DBGrid::followView()
{
    if (syncing_ || model_->isSuspended())
        return;
    syncing_ = true;
    const int row = std::max(0, view().currentRow());
    const int column = currentIndex().isValid() ? currentIndex().column() : column_;
    const QModelIndex target = model_->index(row, column);
    if (target.isValid() && target != currentIndex()) {
        // Scrolling waits for the event loop: a long command that stores many
        // rows scrolls the grid once per repaint, not once per row.
        const bool scrolls = hasAutoScroll();
        setAutoScroll(false);
        selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
        setAutoScroll(scrolls);
    }
    if (target.isValid() && !scrollPending_) {
        scrollPending_ = true;
        QTimer::singleShot(0, this, [this] {
            scrollPending_ = false;
            if (currentIndex().isValid())
                scrollTo(currentIndex());
        });
    }
    syncing_ = false;
}

void DBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (current.isValid())
        column_ = current.column();
    if (syncing_ || !current.isValid() || model_->isChanging() || model_->isSuspended())
        return;
    if (current.row() != view().currentRow() && view().rowCount() > 0) {
        syncing_ = true;
        ErrorGuard::guarded([this, &current] { view().moveToRow(current.row()); });
        syncing_ = false;
        // The row may have moved when the one left was stored; show where the view is.
        followView();
    }
}

bool DBGrid::writeCell(const QModelIndex& index, const QString& text)
{
    const int field = model_->fieldOf(index.column());
    const bool ok = ErrorGuard::guarded([this, field, &text] {
        if (view().state() == TableView::State::Browse)
            view().edit();
        view().setText(field, text);
    });
    commitFailed_ = !ok;
    return ok;
}

void DBGrid::writeOpenEditor()
{
    // What is typed into an open cell belongs to the row before it is stored.
    auto* line = qobject_cast<QLineEdit*>(indexWidget(currentIndex()));
    if (!line || !line->isModified())
        return;
    view().setText(model_->fieldOf(currentIndex().column()), line->text());
    line->setModified(false);
}

void DBGrid::cellTextTyped()
{
    if (view().state() == TableView::State::Browse)
        ErrorGuard::guarded([this] { view().edit(); });
}

bool DBGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    if (!model_->isEditable())
        return false;
    const bool opens = trigger == QAbstractItemView::AllEditTriggers || (editTriggers() & trigger);
    if (opens && view().rowCount() == 0) {
        // Typing into the empty grid of an area starts its first row.
        if (!ErrorGuard::guarded([this] { view().insert(); }))
            return false;
        return QTableView::edit(model_->index(0, std::max(0, index.column())), trigger, event);
    }
    return QTableView::edit(index, trigger, event);
}

void DBGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    if (commitFailed_) {
        // The field refused the text: the collector corrects it in place.
        commitFailed_ = false;
        editor->setFocus();
        return;
    }
    QTableView::closeEditor(editor, hint);
}

bool DBGrid::typedCharacterFits(const QKeyEvent* event) const
{
    const QString text = event->text();
    if (text.isEmpty() || !text.at(0).isPrint())
        return true;
    const QModelIndex index = currentIndex();
    if (!index.isValid())
        return true;
    const FieldDef& field = view().table().fields[model_->fieldOf(index.column())];
    if (field.kind != FieldKind::Integer)
        return true;
    for (QChar c : text) {
        if (!c.isDigit() && c != u'+' && c != u'-')
            return false;
    }
    return true;
}

bool DBGrid::handleKey(QKeyEvent* event)
{
    const bool editable = model_->isEditable();
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        // Tab moves between cells; Ctrl+Tab leaves the grid for the window's
        // other controls, so a keyboard reaches the check boxes too.
        if (mods & Qt::ControlModifier) {
            const bool back = event->key() == Qt::Key_Backtab || (mods & Qt::ShiftModifier);
            // The item view's own version would move the cell.
            QWidget::focusNextPrevChild(!back);
            return true;
        }
        return false;
    case Qt::Key_Insert:
        if (editable && mods == Qt::NoModifier)
            ErrorGuard::guarded([this] { view().insert(); });
        return true;
    case Qt::Key_Delete:
        if (mods == Qt::ControlModifier) {
            if (editable && view().rowCount() > 0) {
                ErrorGuard::guarded([this] {
                    if (dialogs_.okCancel(QStringLiteral("Delete record?")))
                        view().remove();
                });
            }
            return true;
        }
        return false;
    case Qt::Key_Up:
        if (editable && mods == Qt::NoModifier && view().currentRow() <= 0) {
            // Nowhere to go, but the row being edited is stored as on any move.
            ErrorGuard::guarded([this] { view().prior(); });
            return true;
        }
        return false;
    case Qt::Key_Down:
        if (editable && mods == Qt::NoModifier && view().currentRow() >= view().rowCount() - 1) {
            const bool untouchedNewRow = view().state() == TableView::State::Insert && !view().isModified();
            if (!untouchedNewRow)
                ErrorGuard::guarded([this] { view().append(); });
            return true;
        }
        return false;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (editable && currentIndex().isValid())
            edit(currentIndex(), QAbstractItemView::AllEditTriggers, event);
        return true;
    case Qt::Key_Escape:
        if (editable && view().state() != TableView::State::Browse)
            ErrorGuard::guarded([this] { view().cancel(); });
        return true;
    default:
        break;
    }
    if (!editable) {
        // The areas grid never edits: typing does nothing.
        if (!event->text().isEmpty() && event->text().at(0).isPrint())
            return true;
        return false;
    }
    if (!typedCharacterFits(event)) {
        QApplication::beep();
        return true;
    }
    return false;
}

void DBGrid::notePress(const QKeyEvent* event)
{
    keysDown_.insert(event->key());
    emit keyPressArrived();
}

void DBGrid::noteRelease(const QKeyEvent* event)
{
    // A release whose press went elsewhere (Enter that closed a message box
    // over the grid) is no key of the grid's: counting it would show the
    // box again, for ever.
    if (event->key() == Qt::Key_F12 || !keysDown_.contains(event->key()))
        return;
    if (!event->isAutoRepeat())
        keysDown_.remove(event->key());
    emit keyReleaseArrived();
}

void DBGrid::keyPressEvent(QKeyEvent* event)
{
    if (!cameThroughEditor())
        notePress(event);
    if (!handleKey(event))
        QTableView::keyPressEvent(event);
}

void DBGrid::keyReleaseEvent(QKeyEvent* event)
{
    QTableView::keyReleaseEvent(event);
    if (!cameThroughEditor())
        noteRelease(event);
}

bool DBGrid::cameThroughEditor() const
{
    // A key the cell editor left alone travels on to the grid; the event
    // filter has counted it already. Keys go to the focus widget first, so
    // focus inside the grid but not on it means the key started in an editor.
    const QWidget* focus = QApplication::focusWidget();
    return focus && focus != this && isAncestorOf(focus);
}

bool DBGrid::eventFilter(QObject* watched, QEvent* event)
{
    // Keys typed into a cell editor count as keys reaching the grid.
    if (watched != this && watched != viewport()) {
        if (event->type() == QEvent::KeyPress)
            notePress(static_cast<QKeyEvent*>(event));
        else if (event->type() == QEvent::KeyRelease)
            noteRelease(static_cast<QKeyEvent*>(event));
    }
    return QTableView::eventFilter(watched, event);
}

void DBGrid::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::RightButton && index.isValid()) {
        // The context menu acts on the row clicked.
        setCurrentIndex(index);
        return;
    }
    QTableView::mousePressEvent(event);
    if (index.isValid())
        emit cellClicked();
}

void DBGrid::focusOutEvent(QFocusEvent* event)
{
    QTableView::focusOutEvent(event);
    QWidget* now = QApplication::focusWidget();
    if (now && (now == this || isAncestorOf(now)))
        return;
    // Leaving the grid keeps a row in edit, but a new row nobody typed into goes.
    if (view().state() == TableView::State::Insert && !view().isModified() && !isEditing())
        ErrorGuard::guarded([this] { view().cancel(); });
}

} // namespace kvilbro
