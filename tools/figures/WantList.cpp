#include "WantList.h"

#include "FieldRules.h"

#include <algorithm>

namespace kvilbro::figures {

namespace {

struct Item {
    // Where it sorts: items without an integer number come first, in their order.
    bool hasNumber = false;
    qint64 first = 0;
    bool variant = false;
    QString text;
};

} // namespace

QString entryText(const Entry& entry)
{
    const QString number = entry.number ? QString::number(*entry.number) : entry.numberText;
    if (entry.type.isEmpty() || number.isEmpty())
        return number + entry.type;
    return entry.type.front().isLetter() ? number + entry.type : number + u' ' + entry.type;
}

QStringList compactRuns(const QList<Entry>& entries, const QString& dash)
{
    QList<Item> items;
    // Runs of plain numbers; the entries come sorted, so a run only ever grows.
    std::optional<qint64> runStart;
    qint64 runEnd = 0;
    const auto closeRun = [&] {
        if (!runStart)
            return;
        const QString text =
            *runStart == runEnd ? QString::number(runEnd) : QString::number(*runStart) + dash + QString::number(runEnd);
        items.append({true, *runStart, false, text});
        runStart.reset();
    };
    for (const Entry& entry : entries) {
        if (entry.number && entry.type.isEmpty()) {
            const qint64 n = *entry.number;
            if (runStart && (n == runEnd || n == runEnd + 1)) {
                runEnd = n;
                continue;
            }
            closeRun();
            runStart = n;
            runEnd = n;
            continue;
        }
        const QString text = entryText(entry);
        if (!text.isEmpty())
            items.append({entry.number.has_value(), entry.number.value_or(0), true, text});
    }
    closeRun();
    // A variant goes after the run that holds its number or starts before it.
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        if (a.hasNumber != b.hasNumber)
            return !a.hasNumber;
        if (a.first != b.first)
            return a.first < b.first;
        return !a.variant && b.variant;
    });
    QStringList out;
    out.reserve(items.size());
    for (const Item& item : items)
        out << item.text;
    return out;
}

QStringList wrapItems(const QStringList& items, int width)
{
    QStringList lines;
    QString line;
    int length = 0;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const bool last = i + 1 == items.size();
        const int itemLength = characterCount(items[i]) + (last ? 0 : 1); // its comma
        if (!line.isEmpty() && length + 1 + itemLength > width) {
            lines << line;
            line.clear();
            length = 0;
        }
        if (!line.isEmpty()) {
            line += u' ';
            ++length;
        }
        line += items[i];
        if (!last)
            line += u',';
        length += itemLength;
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

} // namespace kvilbro::figures
