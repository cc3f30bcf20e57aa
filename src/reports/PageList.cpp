#include "PageList.h"

#include <QMutexLocker>

namespace kvilbro {

PageList::PageList(const PageList& other)
{
    QMutexLocker lock(&other.mutex_);
    paper_ = other.paper_;
    title_ = other.title_;
    pages_ = other.pages_;
}

PageList& PageList::operator=(const PageList& other)
{
    if (this == &other)
        return *this;
    QSizeF paper;
    QString title;
    QList<PagePtr> pages;
    {
        QMutexLocker lock(&other.mutex_);
        paper = other.paper_;
        title = other.title_;
        pages = other.pages_;
    }
    QMutexLocker lock(&mutex_);
    paper_ = paper;
    title_ = title;
    pages_ = pages;
    return *this;
}

QSizeF PageList::paperSize() const
{
    QMutexLocker lock(&mutex_);
    return paper_;
}

void PageList::setPaperSize(const QSizeF& millimetres)
{
    QMutexLocker lock(&mutex_);
    paper_ = millimetres;
}

QString PageList::title() const
{
    QMutexLocker lock(&mutex_);
    return title_;
}

void PageList::setTitle(const QString& title)
{
    QMutexLocker lock(&mutex_);
    title_ = title;
}

void PageList::append(PagePtr page)
{
    QMutexLocker lock(&mutex_);
    pages_.append(std::move(page));
}

void PageList::clear()
{
    QMutexLocker lock(&mutex_);
    pages_.clear();
}

int PageList::count() const
{
    QMutexLocker lock(&mutex_);
    return int(pages_.size());
}

PagePtr PageList::page(int index) const
{
    QMutexLocker lock(&mutex_);
    if (index < 0 || index >= pages_.size())
        return nullptr;
    return pages_[index];
}

QList<PagePtr> PageList::pages() const
{
    QMutexLocker lock(&mutex_);
    return pages_;
}

} // namespace kvilbro
