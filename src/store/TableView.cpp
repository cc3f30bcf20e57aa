#include "TableView.h"

#include "Error.h"
#include "FieldRules.h"

#include <QDate>
#include <QLocale>

#include <cstring>
#include <limits>

namespace kvilbro {

namespace {

constexpr int BlockSize = 64;
constexpr int CacheLimit = 4096;
constexpr qint64 NoRow = -1;
constexpr qint64 NewRow = -2;

bool sameValue(const QVariant& a, const QVariant& b)
{
    const bool aNull = a.isNull() || (a.typeId() == QMetaType::QString && a.toString().isEmpty());
    const bool bNull = b.isNull() || (b.typeId() == QMetaType::QString && b.toString().isEmpty());
    if (aNull || bNull)
        return aNull == bNull;
    return a == b;
}

Error notEditing()
{
    return Error(QStringLiteral("The row is not being edited, so its fields cannot be changed."), Error::Kind::Engine);
}

QString dateDisplayText(const QVariant& v)
{
    const QString text = v.toString();
    const QDate date = QDate::fromString(text, Qt::ISODate);
    return date.isValid() ? QLocale().toString(date, QLocale::ShortFormat) : text;
}

} // namespace

// ---------------------------------------------------------------- sort keys

TableView::SortValue TableView::SortValue::from(const QVariant& v)
{
    SortValue s;
    if (v.isNull() || !v.isValid())
        return s;
    switch (v.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
        s.kind = Number;
        s.integer = v.toLongLong();
        break;
    case QMetaType::Double:
        s.kind = Number;
        s.isReal = true;
        s.real = v.toDouble();
        break;
    case QMetaType::QByteArray:
        s.kind = Blob;
        s.bytes = v.toByteArray();
        break;
    default: {
        const QString text = v.toString();
        if (!text.isEmpty()) {
            s.kind = Text;
            s.bytes = text.toUtf8();
        }
    }
    }
    return s;
}

int TableView::SortValue::compare(const SortValue& a, const SortValue& b)
{
    if (a.kind != b.kind)
        return a.kind < b.kind ? -1 : 1;
    switch (a.kind) {
    case Null:
        return 0;
    case Number:
        if (!a.isReal && !b.isReal)
            return a.integer < b.integer ? -1 : (a.integer > b.integer ? 1 : 0);
        else {
            const double x = a.isReal ? a.real : double(a.integer);
            const double y = b.isReal ? b.real : double(b.integer);
            return x < y ? -1 : (x > y ? 1 : 0);
        }
    case Text:
    case Blob:
        break;
    }
    const qsizetype n = std::min(a.bytes.size(), b.bytes.size());
    const int c = n ? std::memcmp(a.bytes.constData(), b.bytes.constData(), size_t(n)) : 0;
    if (c != 0)
        return c < 0 ? -1 : 1;
    return a.bytes.size() < b.bytes.size() ? -1 : (a.bytes.size() > b.bytes.size() ? 1 : 0);
}

// ---------------------------------------------------------------- set-up

TableView::TableView(Database& db, TableId table, QStringList order, QObject* parent)
    : QObject(parent), db_(db), def_(TableDef::get(table)), requestedOrder_(std::move(order))
{
}

TableView::~TableView()
{
    if (master_)
        master_->details_.removeAll(this);
    for (TableView* detail : std::as_const(details_))
        detail->master_ = nullptr;
}

void TableView::setMaster(TableView* master, const QStringList& fields, const QStringList& masterFields)
{
    Q_ASSERT(fields.size() == masterFields.size());
    if (master_)
        master_->details_.removeAll(this);
    master_ = master;
    linkFields_.clear();
    masterFields_.clear();
    for (qsizetype i = 0; i < fields.size(); ++i) {
        linkFields_ << fieldIndex(fields[i]);
        masterFields_ << master->fieldIndex(masterFields[i]);
    }
    master->details_ << this;
}

QStringList TableView::orderFields() const
{
    QStringList names;
    for (int f : orderFields_)
        names << def_.fields[f].name;
    return names;
}

void TableView::open()
{
    if (open_)
        return;
    orderFields_.clear();
    if (requestedOrder_.isEmpty()) {
        orderFields_ << def_.rowIdField;
    } else {
        for (const QStringList& index : db_.indexes(def_.id)) {
            if (index.size() < requestedOrder_.size())
                continue;
            bool leads = true;
            for (qsizetype i = 0; i < requestedOrder_.size() && leads; ++i)
                leads = index[i].compare(requestedOrder_[i], Qt::CaseInsensitive) == 0;
            if (!leads)
                continue;
            for (const QString& name : index) {
                const int f = def_.fieldIndex(name);
                if (f >= 0)
                    orderFields_ << f;
            }
            break;
        }
        if (orderFields_.isEmpty()) {
            throw Error(QStringLiteral("The table file %1 has no index for the order %2, so it cannot be opened.")
                            .arg(db_.filePath(def_.id), requestedOrder_.join(QStringLiteral(", "))),
                        Error::Kind::Engine);
        }
        if (orderFields_.last() != def_.rowIdField)
            orderFields_ << def_.rowIdField;
    }
    keyFields_ = orderFields_;
    keyFields_.removeLast();

    const QString table = def_.qualifiedName();
    const QString rowId = quoted(def_.fields[def_.rowIdField].name);
    QStringList keyColumns{rowId};
    for (int f : keyFields_)
        keyColumns << quoted(def_.fields[f].name);
    QStringList order;
    for (int f : orderFields_)
        order << quoted(def_.fields[f].name);
    const QString where = rangeCondition();
    keysetSql_ = QStringLiteral("SELECT %1 FROM %2%3 ORDER BY %4")
                     .arg(keyColumns.join(u','), table, where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where,
                          order.join(u','));

    QStringList all, dataColumns, params, assignments;
    int p = 0;
    for (int f = 0; f < def_.fields.size(); ++f) {
        all << quoted(def_.fields[f].name);
        if (f == def_.rowIdField)
            continue;
        ++p;
        dataColumns << quoted(def_.fields[f].name);
        params << QStringLiteral("?%1").arg(p);
        assignments << QStringLiteral("%1=?%2").arg(quoted(def_.fields[f].name)).arg(p);
    }
    QStringList blockParams;
    for (int i = 1; i <= BlockSize; ++i)
        blockParams << QStringLiteral("?%1").arg(i);
    blockSql_ =
        QStringLiteral("SELECT %1 FROM %2 WHERE %3 IN (%4)").arg(all.join(u','), table, rowId, blockParams.join(u','));
    insertSql_ =
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, dataColumns.join(u','), params.join(u','));
    updateSql_ = QStringLiteral("UPDATE %1 SET %2 WHERE %3=?%4").arg(table, assignments.join(u','), rowId).arg(p + 1);
    deleteSql_ = QStringLiteral("DELETE FROM %1 WHERE %2=?1").arg(table, rowId);

    if (master_) {
        range_ = masterLinkValues();
        masterRow_ = masterRowKey();
    }
    loadKeyset();
    current_ = rowIds_.isEmpty() ? -1 : 0;
    eof_ = rowIds_.isEmpty();
    bof_ = true;
    open_ = true;
}

QString TableView::rangeCondition() const
{
    QStringList conditions;
    for (qsizetype i = 0; i < linkFields_.size(); ++i)
        conditions << QStringLiteral("%1 IS ?%2").arg(quoted(def_.fields[linkFields_[i]].name)).arg(i + 1);
    return conditions.join(QStringLiteral(" AND "));
}

void TableView::bindRange(Statement& stmt) const
{
    for (qsizetype i = 0; i < range_.size(); ++i) {
        const QVariant& v = range_[i];
        // A blank link value is stored as NULL, never as empty text.
        if (v.typeId() == QMetaType::QString && v.toString().isEmpty())
            stmt.bindNull(int(i + 1));
        else
            stmt.bind(int(i + 1), v);
    }
}

// ---------------------------------------------------------------- keyset and rows

void TableView::loadKeyset()
{
    rowIds_.clear();
    keys_.clear();
    cache_.clear();
    const quint64 counter = db_.changeCount(def_.id);
    Statement stmt = db_.prepare(def_.id, keysetSql_);
    bindRange(stmt);
    const int keyCount = int(keyFields_.size());
    while (stmt.step()) {
        rowIds_ << stmt.columnInt(0);
        for (int k = 0; k < keyCount; ++k)
            keys_ << SortValue::from(stmt.column(k + 1));
    }
    seen_ = counter;
}

void TableView::syncIfStale()
{
    if (!open_ || seen_ == db_.changeCount(def_.id))
        return;
    reloadKeeping(currentRowId(), current_);
}

void TableView::reloadKeeping(qint64 rowId, int fallback)
{
    emit aboutToReset();
    loadKeyset();
    const int found = indexOfRowId(rowId);
    const int n = recordCount();
    current_ = found >= 0 ? found : (n == 0 ? -1 : qBound(0, fallback, n - 1));
    if (n == 0)
        eof_ = bof_ = true;
    emit rowsReset();
}

int TableView::indexOfRowId(qint64 rowId) const
{
    if (rowId < 0)
        return -1;
    if (current_ >= 0 && current_ < rowIds_.size() && rowIds_[current_] == rowId)
        return current_;
    return int(rowIds_.indexOf(rowId));
}

qint64 TableView::currentRowId() const
{
    if (state_ == State::Insert)
        return NewRow;
    return current_ >= 0 && current_ < rowIds_.size() ? rowIds_[current_] : NoRow;
}

// The reference stays valid until the cache changes; callers copy what they keep.
const TableView::Row& TableView::fetchRow(int index) const
{
    const qint64 id = rowIds_[index];
    auto it = cache_.constFind(id);
    if (it == cache_.constEnd()) {
        fetchBlock(index);
        it = cache_.constFind(id);
    }
    return *it;
}

void TableView::fetchBlock(int index) const
{
    if (cache_.size() > CacheLimit)
        cache_.clear();
    const int start = index - index % BlockSize;
    const int end = std::min(start + BlockSize, recordCount());
    Statement stmt = db_.prepare(def_.id, blockSql_);
    for (int i = start; i < end; ++i)
        stmt.bindInt(i - start + 1, rowIds_[i]);
    const int fieldCount = int(def_.fields.size());
    while (stmt.step()) {
        Row row(fieldCount);
        for (int f = 0; f < fieldCount; ++f)
            row[f] = stmt.column(f);
        cache_.insert(row[def_.rowIdField].toLongLong(), row);
    }
    // A row deleted through another view since the keyset was read shows blank
    // until this view next moves and reloads.
    for (int i = start; i < end; ++i) {
        if (!cache_.contains(rowIds_[i]))
            cache_.insert(rowIds_[i], Row(fieldCount));
    }
}

// ---------------------------------------------------------------- master and details

QList<QVariant> TableView::masterLinkValues() const
{
    QList<QVariant> values;
    for (int f : masterFields_)
        values << (master_ ? master_->value(f) : QVariant());
    return values;
}

qint64 TableView::masterRowKey() const
{
    return master_ ? master_->currentRowId() : NoRow;
}

void TableView::notifyDetails()
{
    for (TableView* detail : std::as_const(details_))
        detail->followMaster();
}

void TableView::followMaster()
{
    if (!open_)
        return;
    const QList<QVariant> values = masterLinkValues();
    const qint64 masterRow = masterRowKey();
    bool same = masterRow == masterRow_ && values.size() == range_.size();
    for (qsizetype i = 0; same && i < values.size(); ++i)
        same = sameValue(values[i], range_[i]);
    if (same)
        return;
    // The master's move finished our pending row before it moved.
    emit aboutToReset();
    state_ = State::Browse;
    buffer_.clear();
    modified_ = false;
    range_ = values;
    masterRow_ = masterRow;
    loadKeyset();
    current_ = rowIds_.isEmpty() ? -1 : 0;
    eof_ = rowIds_.isEmpty();
    bof_ = true;
    emit rowsReset();
    emit positionChanged();
    notifyDetails();
}

void TableView::afterMove()
{
    emit positionChanged();
    notifyDetails();
}

// ---------------------------------------------------------------- moving

void TableView::first()
{
    finishPending();
    syncIfStale();
    current_ = rowIds_.isEmpty() ? -1 : 0;
    bof_ = true;
    eof_ = rowIds_.isEmpty();
    afterMove();
}

void TableView::prior()
{
    finishPending();
    syncIfStale();
    if (current_ > 0) {
        --current_;
        bof_ = false;
    } else {
        bof_ = true;
    }
    eof_ = rowIds_.isEmpty();
    afterMove();
}

void TableView::next()
{
    finishPending();
    syncIfStale();
    if (current_ + 1 < recordCount()) {
        ++current_;
        eof_ = false;
    } else {
        eof_ = true;
    }
    bof_ = rowIds_.isEmpty();
    afterMove();
}

void TableView::last()
{
    finishPending();
    syncIfStale();
    current_ = recordCount() - 1;
    eof_ = rowIds_.isEmpty();
    bof_ = rowIds_.isEmpty();
    afterMove();
}

void TableView::moveToRow(int row)
{
    if (state_ == State::Insert && row == insertRow_)
        return;
    int index = row;
    if (state_ == State::Insert && row > insertRow_)
        --index;
    const qint64 target = index >= 0 && index < recordCount() ? rowIds_[index] : NoRow;
    finishPending();
    syncIfStale();
    const int found = indexOfRowId(target);
    const int n = recordCount();
    current_ = found >= 0 ? found : (n == 0 ? -1 : qBound(0, index, n - 1));
    eof_ = bof_ = n == 0;
    afterMove();
}

// ---------------------------------------------------------------- fields

int TableView::fieldIndex(QStringView name) const
{
    const int f = def_.fieldIndex(name);
    if (f < 0) {
        throw Error(QStringLiteral("%1: Field '%2' not found.").arg(def_.tableName, name.toString()),
                    Error::Kind::Engine);
    }
    return f;
}

QVariant TableView::value(int field) const
{
    if (state_ != State::Browse)
        return buffer_.value(field);
    if (current_ < 0 || current_ >= rowIds_.size())
        return QVariant();
    return fetchRow(current_).value(field);
}

QString TableView::asText(int field) const
{
    const QVariant v = value(field);
    if (v.isNull())
        return QString();
    if (def_.fields[field].kind == FieldKind::Date)
        return dateDisplayText(v);
    return v.toString();
}

qint64 TableView::asInteger(int field) const
{
    const QVariant v = value(field);
    if (v.isNull())
        return 0;
    if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int)
        return v.toLongLong();
    const QString text = v.toString();
    if (text.isEmpty())
        return 0;
    const auto parsed = parseInt32(text);
    if (!parsed)
        throw Error(invalidIntegerMessage(text), Error::Kind::Engine);
    return *parsed;
}

QString TableView::rowText(int row, int field) const
{
    if (state_ == State::Insert && row == insertRow_) {
        const QVariant v = buffer_.value(field);
        return v.isNull() ? QString() : v.toString();
    }
    int index = row;
    if (state_ == State::Insert && row > insertRow_)
        --index;
    if (index < 0 || index >= recordCount())
        return QString();
    const QVariant v =
        (state_ == State::Edit && index == current_) ? buffer_.value(field) : fetchRow(index).value(field);

    if (v.isNull())
        return QString();
    if (def_.fields[field].kind == FieldKind::Date)
        return dateDisplayText(v);
    return v.toString();
}

void TableView::requirePending(int field) const
{
    if (state_ == State::Browse)
        throw notEditing();
    if (field == def_.rowIdField) {
        throw Error(QStringLiteral("The field '%1' cannot be changed.").arg(def_.fields[field].name),
                    Error::Kind::Engine);
    }
}

void TableView::setText(int field, const QString& text)
{
    requirePending(field);
    const FieldDef& def = def_.fields[field];
    QVariant v;
    switch (def.kind) {
    case FieldKind::Text:
        if (!text.isEmpty())
            v = cutToWidth(text, def.width);
        break;
    case FieldKind::Integer:
        if (!text.isEmpty()) {
            const auto parsed = parseInt32(text);
            if (!parsed)
                throw Error(invalidIntegerForFieldMessage(text, def.name), Error::Kind::Engine);
            v = qint64(*parsed);
        }
        break;
    case FieldKind::Date:
        if (!text.isEmpty()) {
            QDate date = QDate::fromString(text, Qt::ISODate);
            if (!date.isValid())
                date = QLocale().toDate(text, QLocale::ShortFormat);
            if (!date.isValid()) {
                throw Error(QStringLiteral("'%1' is not a valid date for field '%2'").arg(text, def.name),
                            Error::Kind::Engine);
            }
            v = date.toString(Qt::ISODate);
        }
        break;
    case FieldKind::RowId:
        break;
    }
    buffer_[field] = v;
    modified_ = true;
    emit rowChanged(currentRow());
}

void TableView::setInteger(int field, qint64 value)
{
    const FieldDef& def = def_.fields[field];
    if (def.kind != FieldKind::Integer) {
        setText(field, QString::number(value));
        return;
    }
    requirePending(field);
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        throw Error(invalidIntegerForFieldMessage(QString::number(value), def.name), Error::Kind::Engine);
    buffer_[field] = value;
    modified_ = true;
    emit rowChanged(currentRow());
}

// ---------------------------------------------------------------- editing

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
    returnRowId_ = currentRowId();
    buffer_ = Row(def_.fields.size());
    // The link fields come from the master's current row before anything is
    // typed, and do not count as a change.
    if (master_) {
        for (qsizetype i = 0; i < linkFields_.size(); ++i) {
            const QVariant v = master_->value(masterFields_[i]);
            buffer_[linkFields_[i]] = sameValue(v, QVariant()) ? QVariant() : v;
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
    if (rowIds_.isEmpty()) {
        insert();
        return;
    }
    for (TableView* detail : std::as_const(details_))
        detail->finishPending();
    // Edit what is stored now, not what this view read some time ago.
    const qint64 id = rowIds_[current_];
    cache_.remove(id);
    const Row row = fetchRow(current_);
    if (row.value(def_.rowIdField).isNull()) {
        throw Error(QStringLiteral("The row no longer exists in the table file %1; it was deleted in another window.")
                        .arg(db_.filePath(def_.id)),
                    Error::Kind::Engine);
    }
    buffer_ = row;
    state_ = State::Edit;
    modified_ = false;
    emit positionChanged();
}

bool TableView::inRange(const Row& row) const
{
    for (qsizetype i = 0; i < linkFields_.size(); ++i) {
        if (!sameValue(row.value(linkFields_[i]), range_.value(i)))
            return false;
    }
    return true;
}

int TableView::insertPosition(const Row& row, qint64 rowId) const
{
    const int keyCount = int(keyFields_.size());
    QList<SortValue> key;
    for (int f : keyFields_)
        key << SortValue::from(row.value(f));
    // First stored row that sorts after the new one.
    int lo = 0;
    int hi = recordCount();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        int c = 0;
        for (int k = 0; k < keyCount && c == 0; ++k)
            c = SortValue::compare(keys_[mid * keyCount + k], key[k]);
        if (c == 0)
            c = rowIds_[mid] < rowId ? -1 : (rowIds_[mid] > rowId ? 1 : 0);
        if (c <= 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

int TableView::placeStored(const Row& stored, qint64 rowId, int removedIndex, int fallback)
{
    const int keyCount = int(keyFields_.size());
    if (removedIndex >= 0) {
        rowIds_.removeAt(removedIndex);
        keys_.remove(qsizetype(removedIndex) * keyCount, keyCount);
    }
    if (inRange(stored)) {
        const int pos = insertPosition(stored, rowId);
        rowIds_.insert(pos, rowId);
        for (int k = 0; k < keyCount; ++k)
            keys_.insert(qsizetype(pos) * keyCount + k, SortValue::from(stored.value(keyFields_[k])));
        current_ = pos;
        cache_.insert(rowId, stored);
        return pos;
    }
    // Stored outside this view's range: it leaves the view.
    cache_.remove(rowId);
    const int n = recordCount();
    current_ = n == 0 ? -1 : qBound(0, fallback, n - 1);
    return -1;
}

void TableView::post()
{
    if (state_ == State::Browse)
        return;
    for (TableView* detail : std::as_const(details_))
        detail->finishPending();
    if (beforeFinish_)
        beforeFinish_();
    const bool upToDate = seen_ == db_.changeCount(def_.id);
    qint64 rowId = 0;
    if (state_ == State::Insert) {
        Statement stmt = db_.prepare(def_.id, insertSql_);
        int p = 0;
        for (int f = 0; f < def_.fields.size(); ++f) {
            if (f != def_.rowIdField)
                stmt.bind(++p, buffer_[f]);
        }
        stmt.run();
        rowId = db_.lastInsertRowId();
    } else {
        rowId = rowIds_[current_];
        Statement stmt = db_.prepare(def_.id, updateSql_);
        int p = 0;
        for (int f = 0; f < def_.fields.size(); ++f) {
            if (f != def_.rowIdField)
                stmt.bind(++p, buffer_[f]);
        }
        stmt.bindInt(p + 1, rowId);
        stmt.run();
        if (db_.changesOfLastStatement() == 0) {
            throw Error(QStringLiteral("The row no longer exists in the table file %1; it was deleted in another "
                                       "window, so the change was not stored.")
                            .arg(db_.filePath(def_.id)),
                        Error::Kind::Engine);
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
    eof_ = bof_ = rowIds_.isEmpty();
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
    if (rowIds_.isEmpty() || current_ < 0) {
        throw Error(QStringLiteral("There is no row to delete in the table file %1.").arg(db_.filePath(def_.id)),
                    Error::Kind::Engine);
    }
    const bool upToDate = seen_ == db_.changeCount(def_.id);
    const qint64 rowId = rowIds_[current_];
    {
        Statement stmt = db_.prepare(def_.id, deleteSql_);
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
    cache_.remove(rowId);
    if (upToDate) {
        const int keyCount = int(keyFields_.size());
        rowIds_.removeAt(removed);
        keys_.remove(qsizetype(removed) * keyCount, keyCount);
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
    eof_ = bof_ = rowIds_.isEmpty();
    afterMove();
}

void TableView::refresh()
{
    finishPending();
    reloadKeeping(currentRowId(), current_);
    eof_ = bof_ = rowIds_.isEmpty();
    afterMove();
}

bool TableView::locate(const QStringList& fields, const QStringList& values, bool prefix)
{
    if (fields.isEmpty() || fields.size() != values.size()) {
        throw Error(QStringLiteral("Locate needs one text for every field."), Error::Kind::Engine);
    }
    // Resolve and check everything before a pending row is touched.
    struct Condition {
        QString sql;
        QVariant value;
        bool hasValue;
    };
    QList<Condition> conditions;
    const int base = int(linkFields_.size());
    for (qsizetype k = 0; k < fields.size(); ++k) {
        const int f = fieldIndex(fields[k]);
        const FieldDef& def = def_.fields[f];
        const QString column = quoted(def.name);
        const QString& text = values[k];
        const int param = base + int(conditions.size()) + 1;
        if (def.kind == FieldKind::Integer || def.kind == FieldKind::RowId) {
            const auto parsed = parseInt32(text);
            if (!parsed)
                throw Error(invalidIntegerMessage(text), Error::Kind::Engine);
            conditions.append({QStringLiteral("%1=?%2").arg(column).arg(param), qint64(*parsed), true});
        } else if (prefix && k == fields.size() - 1) {
            if (!text.isEmpty()) {
                conditions.append({QStringLiteral("substr(%1,1,length(?%2))=?%2").arg(column).arg(param), text, true});
            }
        } else if (text.isEmpty()) {
            conditions.append({QStringLiteral("%1 IS NULL").arg(column), QVariant(), false});
        } else {
            conditions.append({QStringLiteral("%1=?%2").arg(column).arg(param), text, true});
        }
    }

    finishPending();
    syncIfStale();

    QStringList where;
    const QString range = rangeCondition();
    if (!range.isEmpty())
        where << range;
    // Parameters are numbered in the order the conditions were made; a
    // condition without a value leaves its number unused.
    for (const Condition& c : std::as_const(conditions))
        where << c.sql;
    QStringList order;
    for (int f : orderFields_)
        order << quoted(def_.fields[f].name);
    const QString sql =
        QStringLiteral("SELECT %1 FROM %2%3 ORDER BY %4 LIMIT 1")
            .arg(quoted(def_.fields[def_.rowIdField].name), def_.qualifiedName(),
                 where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND ")),
                 order.join(u','));
    qint64 found = NoRow;
    {
        Statement stmt = db_.prepare(def_.id, sql);
        bindRange(stmt);
        for (qsizetype i = 0; i < conditions.size(); ++i) {
            if (conditions[i].hasValue)
                stmt.bind(base + int(i) + 1, conditions[i].value);
        }
        if (stmt.step())
            found = stmt.columnInt(0);
    }
    const int index = indexOfRowId(found);
    if (index < 0)
        return false;
    current_ = index;
    eof_ = bof_ = false;
    afterMove();
    return true;
}

} // namespace kvilbro
