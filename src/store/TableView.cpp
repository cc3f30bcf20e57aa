#include "TableView.h"

#include "Error.h"
#include "FieldRules.h"
#include "Keyset.h"
#include "StoreMessages.h"

#include <limits>

namespace kvilbro {

namespace {

constexpr qint64 NoRow = -1;
constexpr qint64 NewRow = -2;

Error notEditing()
{
    return Error(storemessages::notEditing(), Error::Kind::Engine);
}

} // namespace

// ---------------------------------------------------------------- set-up

TableView::TableView(Database& db, TableId table, QStringList order, QObject* parent)
    : QObject(parent), db_(db), def_(TableDef::get(table)), requestedOrder_(std::move(order)), cache_(db, def_)
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
            throw Error(
                storemessages::noIndexForOrder(db_.filePath(def_.id), requestedOrder_.join(QStringLiteral(", "))),
                Error::Kind::Engine);
        }
        if (orderFields_.last() != def_.rowIdField)
            orderFields_ << def_.rowIdField;
    }
    keyFields_ = orderFields_;
    keyFields_.removeLast();
    keyset_.setKeyCount(int(keyFields_.size()));
    sql_ = ViewSql(def_, orderFields_, linkFields_);
    cache_.setBlockSql(sql_.block());

    if (master_) {
        range_ = masterLinkValues();
        masterRow_ = masterRowKey();
    }
    loadKeyset();
    current_ = keyset_.isEmpty() ? -1 : 0;
    eof_ = keyset_.isEmpty();
    bof_ = true;
    open_ = true;
}

// ---------------------------------------------------------------- keyset and rows

void TableView::loadKeyset()
{
    cache_.clear();
    const quint64 counter = db_.changeCount(def_.id);
    Statement stmt = db_.prepare(def_.id, sql_.keyset());
    ViewSql::bindRange(stmt, range_);
    keyset_.load(stmt);
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
    return keyset_.indexOf(rowId, current_);
}

qint64 TableView::currentRowId() const
{
    if (state_ == State::Insert)
        return NewRow;
    return current_ >= 0 && current_ < keyset_.size() ? keyset_.rowId(current_) : NoRow;
}

// The reference stays valid until the cache changes; callers copy what they keep.
const TableView::Row& TableView::fetchRow(int index) const
{
    return cache_.row(keyset_, index);
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
        same = sameFieldValue(values[i], range_[i]);
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
    current_ = keyset_.isEmpty() ? -1 : 0;
    eof_ = keyset_.isEmpty();
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
    current_ = keyset_.isEmpty() ? -1 : 0;
    bof_ = true;
    eof_ = keyset_.isEmpty();
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
    eof_ = keyset_.isEmpty();
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
    bof_ = keyset_.isEmpty();
    afterMove();
}

void TableView::last()
{
    finishPending();
    syncIfStale();
    current_ = recordCount() - 1;
    eof_ = keyset_.isEmpty();
    bof_ = keyset_.isEmpty();
    afterMove();
}

void TableView::moveToRow(int row)
{
    if (state_ == State::Insert && row == insertRow_)
        return;
    int index = row;
    if (state_ == State::Insert && row > insertRow_)
        --index;
    const qint64 target = index >= 0 && index < recordCount() ? keyset_.rowId(index) : NoRow;
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
        throw Error(storemessages::fieldNotFound(def_.tableName, name.toString()), Error::Kind::Engine);
    }
    return f;
}

QVariant TableView::value(int field) const
{
    if (state_ != State::Browse)
        return buffer_.value(field);
    if (current_ < 0 || current_ >= keyset_.size())
        return QVariant();
    return fetchRow(current_).value(field);
}

QString TableView::asText(int field) const
{
    const QVariant v = value(field);
    return displayText(def_.fields[field], v);
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

void TableView::readRows(const QList<int>& fields, const std::function<void(const QStringList&)>& visit) const
{
    QStringList columns;
    for (int f : fields)
        columns << quoted(def_.fields[f].name);
    Statement stmt = db_.prepare(def_.id, sql_.rowsOf(columns));
    ViewSql::bindRange(stmt, range_);
    QStringList texts(fields.size());
    while (stmt.step()) {
        for (qsizetype i = 0; i < fields.size(); ++i) {
            // The common cases without a QVariant in between; they give what displayText gives.
            const FieldDef& field = def_.fields[fields[i]];
            const int column = int(i);
            if (stmt.isNull(column))
                texts[i].clear();
            else if (field.kind == FieldKind::Text && stmt.isText(column))
                texts[i] = stmt.columnText(column);
            else if (field.kind == FieldKind::Integer && stmt.isInteger(column))
                texts[i] = QString::number(stmt.columnInt(column));
            else
                texts[i] = displayText(field, stmt.column(column));
        }
        visit(texts);
    }
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

    return displayText(def_.fields[field], v);
}

void TableView::requirePending(int field) const
{
    if (state_ == State::Browse)
        throw notEditing();
    if (field == def_.rowIdField) {
        throw Error(storemessages::fieldCannotChange(def_.fields[field].name), Error::Kind::Engine);
    }
}

void TableView::setText(int field, const QString& text)
{
    requirePending(field);
    const QVariant v = storedValue(def_.fields[field], text);
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

void TableView::refresh()
{
    finishPending();
    reloadKeeping(currentRowId(), current_);
    eof_ = bof_ = keyset_.isEmpty();
    afterMove();
}

int TableView::keysetKeyOf(const QList<int>& fields) const
{
    // The range fixes the link fields; they must lead the order, in any order.
    const qsizetype linked = linkFields_.size();
    if (linked + fields.size() > keyFields_.size())
        return -1;
    for (qsizetype k = 0; k < linked; ++k) {
        if (!linkFields_.contains(keyFields_[k]))
            return -1;
    }
    for (qsizetype k = 0; k < fields.size(); ++k) {
        if (keyFields_[linked + k] != fields[k])
            return -1;
    }
    return int(linked);
}

bool TableView::locate(const QStringList& fields, const QStringList& values, bool prefix)
{
    if (fields.isEmpty() || fields.size() != values.size()) {
        throw Error(storemessages::locateNeedsTexts(), Error::Kind::Engine);
    }
    // Resolve and check everything before a pending row is touched.
    struct Condition {
        QString sql;
        QVariant value;
        bool hasValue;
    };
    QList<Condition> conditions;
    QList<int> fieldIndexes;
    const int base = int(linkFields_.size());
    for (qsizetype k = 0; k < fields.size(); ++k) {
        const int f = fieldIndex(fields[k]);
        fieldIndexes << f;
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
            // Blank is blank, whether stored as NULL or as empty text by another program.
            conditions.append({QStringLiteral("(%1 IS NULL OR %1 = '')").arg(column), QVariant(), false});
        } else {
            conditions.append({QStringLiteral("%1=?%2").arg(column).arg(param), text, true});
        }
    }

    finishPending();
    syncIfStale();

    // Fields that follow the link in the view's order are found in the
    // keyset, which holds exactly what the statement below would compare.
    if (const int firstKey = keysetKeyOf(fieldIndexes); !prefix && firstKey >= 0) {
        QList<QVariant> values;
        for (const Condition& c : std::as_const(conditions))
            values << c.value;
        const int index = keyset_.findFirst(firstKey, values);
        if (index < 0)
            return false;
        current_ = index;
        eof_ = bof_ = false;
        afterMove();
        return true;
    }

    // Parameters are numbered in the order the conditions were made; a
    // condition without a value leaves its number unused.
    QStringList where;
    for (const Condition& c : std::as_const(conditions))
        where << c.sql;
    const QString sql = sql_.firstWhere(where);
    int index = -1;
    {
        Statement stmt = db_.prepare(def_.id, sql);
        ViewSql::bindRange(stmt, range_);
        for (qsizetype i = 0; i < conditions.size(); ++i) {
            if (conditions[i].hasValue)
                stmt.bind(base + int(i) + 1, conditions[i].value);
        }
        if (stmt.step()) {
            QList<QVariant> keys;
            keys.reserve(keyFields_.size());
            for (qsizetype k = 0; k < keyFields_.size(); ++k)
                keys << stmt.column(int(k) + 1);
            index = keyset_.indexOf(stmt.columnInt(0), keys);
        }
    }
    if (index < 0)
        return false;
    current_ = index;
    eof_ = bof_ = false;
    afterMove();
    return true;
}

} // namespace kvilbro
