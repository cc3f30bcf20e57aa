#include "Keyset.h"

#include "Database.h"

#include <cstring>

namespace kvilbro {

SortValue SortValue::from(const QVariant& v)
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
        // Blank text is stored as NULL, so it sorts as NULL.
        const QString text = v.toString();
        if (!text.isEmpty()) {
            s.kind = Text;
            s.bytes = text.toUtf8();
        }
    }
    }
    return s;
}

int SortValue::compare(const SortValue& a, const SortValue& b)
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

void Keyset::setKeyCount(int keyCount)
{
    keyCount_ = keyCount;
    clear();
}

void Keyset::load(Statement& stmt)
{
    clear();
    while (stmt.step()) {
        rowIds_ << stmt.columnInt(0);
        for (int k = 0; k < keyCount_; ++k)
            keys_ << SortValue::from(stmt.column(k + 1));
    }
}

void Keyset::clear()
{
    rowIds_.clear();
    keys_.clear();
}

int Keyset::indexOf(qint64 rowId, int hint) const
{
    if (rowId < 0)
        return -1;
    if (hint >= 0 && hint < rowIds_.size() && rowIds_[hint] == rowId)
        return hint;
    return int(rowIds_.indexOf(rowId));
}

int Keyset::indexOf(qint64 rowId, const QList<QVariant>& keyValues) const
{
    // The row sorts equal to itself, so it stands just before its insert position.
    const int after = insertPosition(keyValues, rowId);
    if (after > 0 && rowIds_[after - 1] == rowId)
        return after - 1;
    return indexOf(rowId);
}

int Keyset::findFirst(int firstKey, const QList<QVariant>& values) const
{
    QList<SortValue> key;
    for (const QVariant& v : values)
        key << SortValue::from(v);
    const auto compareAt = [&](int row) {
        int c = 0;
        for (qsizetype k = 0; k < key.size() && c == 0; ++k)
            c = SortValue::compare(keys_[qsizetype(row) * keyCount_ + firstKey + k], key[k]);
        return c;
    };
    int lo = 0;
    int hi = size();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (compareAt(mid) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo < size() && compareAt(lo) == 0 ? lo : -1;
}

int Keyset::insertPosition(const QList<QVariant>& keyValues, qint64 rowId) const
{
    QList<SortValue> key;
    for (const QVariant& v : keyValues)
        key << SortValue::from(v);
    int lo = 0;
    int hi = size();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        int c = 0;
        for (int k = 0; k < keyCount_ && c == 0; ++k)
            c = SortValue::compare(keys_[mid * keyCount_ + k], key[k]);
        if (c == 0)
            c = rowIds_[mid] < rowId ? -1 : (rowIds_[mid] > rowId ? 1 : 0);
        if (c <= 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

void Keyset::insert(int index, qint64 rowId, const QList<QVariant>& keyValues)
{
    rowIds_.insert(index, rowId);
    for (int k = 0; k < keyCount_; ++k)
        keys_.insert(qsizetype(index) * keyCount_ + k, SortValue::from(keyValues.value(k)));
}

bool Keyset::hasKeys(int index, const QList<QVariant>& keyValues) const
{
    for (int k = 0; k < keyCount_; ++k) {
        if (SortValue::compare(keys_[qsizetype(index) * keyCount_ + k], SortValue::from(keyValues.value(k))) != 0)
            return false;
    }
    return true;
}

void Keyset::removeAt(int index)
{
    rowIds_.removeAt(index);
    keys_.remove(qsizetype(index) * keyCount_, keyCount_);
}

} // namespace kvilbro
