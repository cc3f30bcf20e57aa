#pragma once

#include "Page.h"

#include <QList>
#include <QMutex>
#include <QSizeF>
#include <QString>

#include <memory>

namespace kvilbro {

using PagePtr = std::shared_ptr<const Page>;

// The pages of one run, in order. A worker thread may append while the
// preview reads, so every access takes the lock; pages never change once added.
class PageList {
public:
    PageList() = default;
    PageList(const PageList& other);
    PageList& operator=(const PageList& other);

    QSizeF paperSize() const;
    void setPaperSize(const QSizeF& millimetres);
    QString title() const;
    void setTitle(const QString& title);

    void append(PagePtr page);
    void clear();
    int count() const;
    PagePtr page(int index) const; // null outside the list
    QList<PagePtr> pages() const;

private:
    mutable QMutex mutex_;
    QSizeF paper_{210, 297};
    QString title_;
    QList<PagePtr> pages_;
};

} // namespace kvilbro
