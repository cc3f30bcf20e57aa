// The pending row of a view: inserting, editing, storing, dropping and deleting.
#include "TableView.h"

#include "Error.h"
#include "FieldRules.h"
#include "StoreMessages.h"

namespace kvilbro {

void TableView::finishPending()
{
    for (TableView* detail : std::as_const(details_))
        detail->finishPending();
    if (state_ == State::Browse)
        return;
    if (beforeFinish_)
        beforeFinish_();
    if (modified_)
        post();
    else
        cancel();
}

void TableView::beginInsert(int row)
{
    db_.requireWritable();
    // A row of a linked view belongs to the master's current row; without one
    // it would be stored where no view ever shows it.
    if (master_ && master_->isEmpty())
        throw Error(storemessages::noCurrentArea(), Error::Kind::Engine);
    returnRowId_ = currentRowId();
    buffer_ = Row(def_.fields.size());
    // The link fields come from the master's current row before anything is
    // typed, and do not count as a change.
    if (master_) {
        for (qsizetype i = 0; i < linkFields_.size(); ++i) {
            const QVariant v = master_->value(masterFields_[i]);
            buffer_[linkFields_[i]] = sameFieldValue(v, QVariant()) ? QVariant() : v;
        }
    }
    emit aboutToInsertRow(row);
    state_ = State::Insert;
    modified_ = false;
    insertRow_ = row;
    eof_ = bof_ = false;
    emit rowInserted(row);
    afterMove();
}

void TableView::insert()
{
    finishPending();
    syncIfStale();
    beginInsert(current_ < 0 ? 0 : current_);
}

void TableView::append()
{
    finishPending();
    syncIfStale();
    beginInsert(recordCount());
}

void TableView::edit()
{
    if (state_ != State::Browse)
        return;
    if (keyset_.isEmpty()) {
        insert();
        return;
    }
    for (TableView* detail : std::as_const(details_))
        detail->finishPending();
    db_.requireWritable();
    // Edit what is stored now, not what this view read some time ago. Only
    // this program writes the collection (CollectionLock), so a row read
    // since its last change here is what is stored.
    const qint64 rowId = keyset_.rowId(current_);
    const Row row = seen_ == db_.changeCount(def_.id) ? fetchRow(current_) : cache_.reread(rowId);
    if (row.value(def_.rowIdField).isNull()) {
        throw Error(storemessages::rowGone(db_.filePath(def_.id)), Error::Kind::Engine);
    }
    buffer_ = row;
    original_ = row;
    state_ = State::Edit;
    modified_ = false;
    emit positionChanged();
}

bool TableView::inRange(const Row& row) const
{
    for (qsizetype i = 0; i < linkFields_.size(); ++i) {
        if (!sameFieldValue(row.value(linkFields_[i]), range_.value(i)))
            return false;
    }
    return true;
}

QList<QVariant> TableView::sortKeys(const Row& row) const
{
    QList<QVariant> keys;
    for (int f : keyFields_)
        keys << row.value(f);
    return keys;
}

int TableView::insertPosition(const Row& row, qint64 rowId) const
{
    return keyset_.insertPosition(sortKeys(row), rowId);
}

int TableView::placeStored(const Row& stored, qint64 rowId, int removedIndex, int fallback)
{
    if (removedIndex >= 0 && inRange(stored) && keyset_.hasKeys(removedIndex, sortKeys(stored))) {
        // Its place in the order did not change: no shifting of the whole range.
        current_ = removedIndex;
        cache_.put(rowId, stored);
        return removedIndex;
    }
    if (removedIndex >= 0)
        keyset_.removeAt(removedIndex);
    if (inRange(stored)) {
        const int pos = insertPosition(stored, rowId);
        keyset_.insert(pos, rowId, sortKeys(stored));
        current_ = pos;
        cache_.put(rowId, stored);
        return pos;
    }
    // Stored outside this view's range: it leaves the view.
    cache_.drop(rowId);
    const int n = recordCount();
    current_ = n == 0 ? -1 : qBound(0, fallback, n - 1);
    return -1;
}

void TableView::refuseDuplicate()
{
    if (def_.distinctFields.isEmpty())
        return;
    QStringList conditions;
    QList<QVariant> values;
    bool changed = state_ == State::Insert;
    const Row* stored = state_ == State::Edit ? &fetchRow(current_) : nullptr;
    for (const QString& name : def_.distinctFields) {
        const int f = def_.fieldIndex(name);
        conditions << QStringLiteral("%1 IS ?%2").arg(quoted(def_.fields[f].name)).arg(conditions.size() + 1);
        values << buffer_.value(f);
        if (stored && !sameFieldValue(stored->value(f), buffer_.value(f)))
            changed = true;
    }
    if (!changed)
        return; // rows the file held before are left as they are
    conditions << QStringLiteral("%1 IS NOT ?%2").arg(quoted(def_.fields[def_.rowIdField].name)).arg(values.size() + 1);
    Statement stmt = db_.prepare(def_.id, QStringLiteral("SELECT 1 FROM %1 WHERE %2 LIMIT 1")
                                              .arg(def_.qualifiedName(), conditions.join(QStringLiteral(" AND "))));
    ViewSql::bindRange(stmt, values);
    if (state_ == State::Edit)
        stmt.bindInt(int(values.size() + 1), keyset_.rowId(current_));
    else
        stmt.bindNull(int(values.size() + 1));
    if (stmt.step()) {
        throw Error(storemessages::areaExists(buffer_.value(def_.fieldIndex(def_.distinctFields.value(0))).toString(),
                                              buffer_.value(def_.fieldIndex(def_.distinctFields.value(1))).toString()),
                    Error::Kind::Engine);
    }
}

void TableView::post()
{
    if (state_ == State::Browse)
        return;
    for (TableView* detail : std::as_const(details_))
        detail->finishPending();
    if (beforeFinish_)
        beforeFinish_();
    db_.requireWritable();
    db_.requireUnchanged(def_.id);
    refuseDuplicate();
    const bool upToDate = seen_ == db_.changeCount(def_.id);
    qint64 rowId = 0;
    if (state_ == State::Insert) {
        Statement stmt = db_.prepare(def_.id, sql_.insert());
        int p = 0;
        for (int f = 0; f < def_.fields.size(); ++f) {
            if (f != def_.rowIdField)
                stmt.bind(++p, buffer_[f]);
        }
        // Exactly one row, and its key as stored: an insert the file's rules
        // skipped would otherwise send the next edits to another row.
        const bool returned = stmt.step();
        rowId = returned ? stmt.columnInt(0) : 0;
        stmt.run();
        if (!returned || db_.changesOfLastStatement() != 1)
            throw Error(storemessages::rowNotStored(db_.filePath(def_.id)), Error::Kind::Engine);
    } else {
        rowId = keyset_.rowId(current_);
        // Only the fields that changed: an unchanged indexed field then costs
        // no index update, and nothing else is written over.
        QList<int> changed;
        for (int f = 0; f < def_.fields.size(); ++f) {
            if (f != def_.rowIdField && !sameFieldValue(original_.value(f), buffer_[f]))
                changed << f;
        }
        Statement stmt = db_.prepare(def_.id, sql_.updateOf(changed));
        int p = 0;
        for (int f : std::as_const(changed))
            stmt.bind(++p, buffer_[f]);
        stmt.bindInt(p + 1, rowId);
        stmt.run();
        if (db_.changesOfLastStatement() > 1)
            throw Error(storemessages::rowNotStored(db_.filePath(def_.id)), Error::Kind::Engine);
        if (db_.changesOfLastStatement() == 0) {
            throw Error(storemessages::rowGoneNotStored(db_.filePath(def_.id)), Error::Kind::Engine);
        }
    }
    db_.noteChange(def_.id);

    Row stored = buffer_;
    stored[def_.rowIdField] = rowId;
    const State was = state_;
    const int from = was == State::Edit ? current_ : insertRow_;
    // Where the stored row will stand, told before anything changes.
    int to = -1;
    if (upToDate) {
        if (inRange(stored)) {
            to = insertPosition(stored, rowId);
            if (was == State::Edit && to > from)
                --to; // the row's old entry goes from before its new place
            emit aboutToMoveRow(from, to);
        } else {
            emit aboutToRemoveRow(from);
        }
    }
    state_ = State::Browse;
    buffer_.clear();
    original_.clear();
    modified_ = false;
    if (upToDate) {
        placeStored(stored, rowId, was == State::Edit ? current_ : -1, from);
        seen_ = db_.changeCount(def_.id);
        if (to < 0) {
            emit rowRemoved(from);
        } else {
            emit rowMoved(from, to);
            emit rowChanged(to);
        }
    } else {
        reloadKeeping(rowId, from);
    }
    eof_ = bof_ = keyset_.isEmpty();
    afterMove();
}

void TableView::cancel()
{
    if (state_ == State::Browse)
        return;
    for (TableView* detail : std::as_const(details_))
        detail->finishPending();
    const State was = state_;
    if (was == State::Insert)
        emit aboutToRemoveRow(insertRow_);
    state_ = State::Browse;
    buffer_.clear();
    modified_ = false;
    if (was == State::Insert) {
        const int found = indexOfRowId(returnRowId_);
        const int n = recordCount();
        current_ = found >= 0 ? found : (n == 0 ? -1 : qBound(0, insertRow_, n - 1));
        eof_ = bof_ = n == 0;
        emit rowRemoved(insertRow_);
    } else {
        emit rowChanged(current_);
    }
    afterMove();
}

void TableView::remove()
{
    if (state_ == State::Insert) {
        cancel();
        return;
    }
    for (TableView* detail : std::as_const(details_))
        detail->finishPending();
    if (state_ == State::Browse)
        syncIfStale();
    if (keyset_.isEmpty() || current_ < 0) {
        throw Error(storemessages::noRowToDelete(db_.filePath(def_.id)), Error::Kind::Engine);
    }
    db_.requireWritable();
    db_.requireUnchanged(def_.id);
    const bool upToDate = seen_ == db_.changeCount(def_.id);
    const qint64 rowId = keyset_.rowId(current_);
    {
        Statement stmt = db_.prepare(def_.id, sql_.remove());
        stmt.bindInt(1, rowId);
        stmt.run();
    }
    db_.noteChange(def_.id);
    const int removed = current_;
    if (upToDate)
        emit aboutToRemoveRow(removed);
    state_ = State::Browse;
    buffer_.clear();
    modified_ = false;
    cache_.drop(rowId);
    if (upToDate) {
        keyset_.removeAt(removed);
        seen_ = db_.changeCount(def_.id);
        const int n = recordCount();
        current_ = n == 0 ? -1 : std::min(removed, n - 1);
        emit rowRemoved(removed);
    } else {
        const int at = current_;
        emit aboutToReset();
        loadKeyset();
        const int n = recordCount();
        current_ = n == 0 ? -1 : std::min(at, n - 1);
        emit rowsReset();
    }
    eof_ = bof_ = keyset_.isEmpty();
    afterMove();
}

} // namespace kvilbro
