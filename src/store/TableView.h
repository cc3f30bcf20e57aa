#pragma once

#include "Database.h"
#include "Keyset.h"
#include "RowCache.h"
#include "TableDef.h"
#include "ViewSql.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariant>

#include <functional>

namespace kvilbro {

// A cursor over one table: an order, an optional link to a master view, a
// current row and at most one pending row (being edited or inserted).
//
// The view keeps the ordered row ids of its range (Keyset) and reloads them
// only when the table's change counter has moved, so walking a view costs
// O(rows); row contents are read lazily in blocks (RowCache), by statements
// made once for its order and link (ViewSql).
// Every failure throws Error with a message for the collector.
class TableView : public QObject {
    Q_OBJECT

public:
    enum class State { Browse, Edit, Insert };
    using Row = QList<QVariant>;

    // `order` names the leading fields of an index of the table; empty means
    // the table's own order (by row id).
    TableView(Database& db, TableId table, QStringList order = {}, QObject* parent = nullptr);
    ~TableView() override;

    // Shows only the rows whose `fields` equal the master's current `masterFields`.
    void setMaster(TableView* master, const QStringList& fields, const QStringList& masterFields);
    void open();
    bool isOpen() const { return open_; }

    const TableDef& table() const { return def_; }
    Database& database() const { return db_; }
    TableView* master() const { return master_; }
    // The order the view really has: the serving index's fields.
    QStringList orderFields() const;

    // Moving first finishes a pending row: stored if a field changed, dropped if not.
    void first();
    void prior();
    void next();
    void last();
    // Moves to a row as a grid shows it; a pending row is finished first and the
    // view ends on the stored row that was shown at `row` before.
    void moveToRow(int row);

    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    bool isEmpty() const { return keyset_.isEmpty() && state_ != State::Insert; }
    int recordCount() const { return keyset_.size(); }
    // Rows as a grid shows them: the stored rows and a new row being inserted.
    int rowCount() const { return recordCount() + (state_ == State::Insert ? 1 : 0); }
    // Grid row of the current row; -1 when there is none.
    int currentRow() const { return state_ == State::Insert ? insertRow_ : current_; }
    qint64 currentRowId() const;

    // Field access; names are matched regardless of letter case.
    int fieldIndex(QStringView name) const;
    QVariant value(int field) const;
    QString asText(int field) const;
    QString asText(QStringView field) const { return asText(fieldIndex(field)); }
    qint64 asInteger(int field) const;
    qint64 asInteger(QStringView field) const { return asInteger(fieldIndex(field)); }
    void setText(int field, const QString& text);
    void setText(QStringView field, const QString& text) { setText(fieldIndex(field), text); }
    void setInteger(int field, qint64 value);
    void setInteger(QStringView field, qint64 value) { setInteger(fieldIndex(field), value); }
    // Text of a field of any row as a grid shows it.
    QString rowText(int row, int field) const;

    State state() const { return state_; }
    bool isModified() const { return modified_; }

    void insert(); // a new row before the current one
    void append(); // a new row after the last one
    void edit();
    void post();
    void cancel();
    void remove();
    void refresh();
    // Stores a pending row that was changed, drops one that was not; also in the detail views.
    void finishPending();
    // Called before a pending row is finished or posted, so that an editor can
    // write what it still holds into the row; it may throw to stop the operation.
    void setBeforeFinish(std::function<void()> hook) { beforeFinish_ = std::move(hook); }
    // Reads `fields` of every stored row of the view, in its order, with one
    // statement and without moving: `visit` gets them as asText() gives them.
    // For commands that read a whole range; a pending row is not included.
    void readRows(const QList<int>& fields, const std::function<void(const QStringList&)>& visit) const;
    // Finds the first row in the view's order whose fields equal the texts; with
    // `prefix` a text field in last position only has to begin with its text.
    bool locate(const QStringList& fields, const QStringList& values, bool prefix);

signals:
    // The set or order of rows changed: a grid reads everything anew
    // (announced by aboutToReset).
    void rowsReset();
    // The contents of one grid row changed.
    void rowChanged(int row);
    // A grid row came, went, or moved to another place (a stored row finding
    // its place in the order); the other rows shift accordingly. Each comes
    // with an announcement just before the change, as item models need.
    void aboutToInsertRow(int row);
    void rowInserted(int row);
    void aboutToRemoveRow(int row);
    void rowRemoved(int row);
    void aboutToMoveRow(int from, int to);
    void rowMoved(int from, int to);
    void aboutToReset();
    // The current row, the state or the end flags changed.
    void positionChanged();

private:
    const Row& fetchRow(int index) const;
    void loadKeyset();
    void syncIfStale();
    void reloadKeeping(qint64 rowId, int fallback);
    void afterMove();
    void followMaster();
    void notifyDetails();
    QList<QVariant> masterLinkValues() const;
    qint64 masterRowKey() const;
    void beginInsert(int row);
    void requirePending(int field) const;
    bool inRange(const Row& row) const;
    QList<QVariant> sortKeys(const Row& row) const;
    int insertPosition(const Row& row, qint64 rowId) const;
    // Returns the stored row's new index, or -1 when it left the view's range.
    int placeStored(const Row& stored, qint64 rowId, int removedIndex, int fallback);
    int indexOfRowId(qint64 rowId) const;
    // Where `fields` start among the keyset's sort keys when they follow the
    // link fields in the view's order; -1 otherwise.
    int keysetKeyOf(const QList<int>& fields) const;
    void refuseDuplicate();

    Database& db_;
    const TableDef& def_;
    QStringList requestedOrder_;
    QList<int> orderFields_; // field indexes of the order, ending with the row id
    QList<int> keyFields_;   // orderFields_ without the row id
    bool open_ = false;

    Keyset keyset_;
    mutable RowCache cache_;
    ViewSql sql_;
    int current_ = -1;
    bool eof_ = true;
    bool bof_ = true;
    quint64 seen_ = 0;

    State state_ = State::Browse;
    Row buffer_;
    Row original_; // the stored row an edit began from
    bool modified_ = false;
    int insertRow_ = 0;
    qint64 returnRowId_ = -1;

    TableView* master_ = nullptr;
    QList<int> linkFields_;
    QList<int> masterFields_;
    QList<QVariant> range_;
    qint64 masterRow_ = -1;
    QList<TableView*> details_;

    std::function<void()> beforeFinish_;
};

} // namespace kvilbro
