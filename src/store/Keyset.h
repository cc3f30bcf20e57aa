#pragma once

#include <QByteArray>
#include <QList>
#include <QVariant>

namespace kvilbro {

class Statement;

// One sort key value, compared as SQLite's BINARY collation compares it:
// NULL before numbers, numbers before text, text before blobs.
struct SortValue {
    enum Kind : quint8 { Null, Number, Text, Blob };
    Kind kind = Null;
    bool isReal = false;
    qint64 integer = 0;
    double real = 0;
    QByteArray bytes;

    static SortValue from(const QVariant& v);
    static int compare(const SortValue& a, const SortValue& b);
};

// The ordered row ids of a view's range with the sort key of each row, so a
// stored row can find its new place without reading the range again.
class Keyset {
public:
    explicit Keyset(int keyCount = 0) : keyCount_(keyCount) {}

    void setKeyCount(int keyCount);
    // Reads a statement whose columns are the row id and then the sort keys, in order.
    void load(Statement& stmt);
    void clear();

    int size() const { return int(rowIds_.size()); }
    bool isEmpty() const { return rowIds_.isEmpty(); }
    qint64 rowId(int index) const { return rowIds_[index]; }
    // Index of a row id, trying `hint` first; -1 when it is not in the set.
    int indexOf(qint64 rowId, int hint = -1) const;
    // The same, found by the row's sort keys in logarithmic time.
    int indexOf(qint64 rowId, const QList<QVariant>& keyValues) const;

    // The first row whose sort keys from `firstKey` on equal `values`; -1 when none does.
    int findFirst(int firstKey, const QList<QVariant>& values) const;
    // Where a row with these sort keys (and row id) belongs: before the first that sorts after it.
    int insertPosition(const QList<QVariant>& keyValues, qint64 rowId) const;
    void insert(int index, qint64 rowId, const QList<QVariant>& keyValues);
    // Whether the row at `index` has these sort keys, so a changed row can stay where it is.
    bool hasKeys(int index, const QList<QVariant>& keyValues) const;
    void removeAt(int index);

private:
    int keyCount_;
    QList<qint64> rowIds_;
    QList<SortValue> keys_; // keyCount_ values per row
};

} // namespace kvilbro
