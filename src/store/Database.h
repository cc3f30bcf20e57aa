#pragma once

#include "TableDef.h"

#include <QHash>
#include <QRecursiveMutex>
#include <QString>
#include <QVariant>

#include <array>
#include <atomic>
#include <mutex>

struct sqlite3;
struct sqlite3_stmt;

namespace kvilbro {

class Database;

// A prepared statement borrowed from the database's cache. It is reset when it
// goes out of scope, so no read transaction outlives its use.
class Statement {
public:
    Statement(Database& db, TableId table, sqlite3_stmt* stmt, std::unique_lock<QRecursiveMutex> lock)
        : db_(&db), table_(table), stmt_(stmt), lock_(std::move(lock))
    {
    }
    Statement(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();

    void bindNull(int index);
    void bindInt(int index, qint64 value);
    void bindText(int index, const QString& value);
    // Null for an invalid QVariant, an integer for integral types, text otherwise.
    void bind(int index, const QVariant& value);

    // True while there is a row; throws the engine's error in plain words.
    bool step();
    void run(); // steps to the end

    bool isNull(int column) const;
    // The value's own storage class, not the column's declared one.
    bool isText(int column) const;
    bool isInteger(int column) const;
    qint64 columnInt(int column) const;
    QString columnText(int column) const;
    QVariant column(int column) const;

private:
    Database* db_;
    TableId table_;
    sqlite3_stmt* stmt_;
    std::unique_lock<QRecursiveMutex> lock_;
};

// The one connection to the three table files in a working directory.
// The numbers file is the main database; the areas and collector files are attached.
class Database {
public:
    // Opens the three files by their bare names in `directory`, or in the
    // current directory when it is empty. Throws a plain error naming the file.
    explicit Database(const QString& directory = QString());
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    Statement prepare(TableId table, const QString& sql);
    void exec(TableId table, const QString& sql);

    // Counts every change stored in a table; views reload only when it moved.
    quint64 changeCount(TableId table) const { return changes_[index(table)].load(std::memory_order_acquire); }
    void noteChange(TableId table) { ++changes_[index(table)]; }

    // The fields of each index of a table as found in its file.
    const QList<QStringList>& indexes(TableId table) const { return indexes_[index(table)]; }

    QString filePath(TableId table) const;
    // True when `path` names one of the table files or a journal beside one.
    // Nothing else in the program may open them: the file would be lost, and
    // closing it again would drop the engine's locks on it.
    bool isCollectionFile(const QString& path) const;
    void setBusyTimeout(int milliseconds);
    qint64 lastInsertRowId() const;
    int changesOfLastStatement() const;

    [[noreturn]] void raise(TableId table, int code) const;
    QString describe(TableId table, int code, const QString& detail) const;

private:
    static int index(TableId table) { return int(table); }
    void verify(const TableDef& def);

    QString directory_;
    // The table files as found when they were opened, before any dialog moved the current directory.
    std::array<QString, TableCount> canonicalPaths_;
    sqlite3* db_ = nullptr;
    QHash<QString, sqlite3_stmt*> cache_;
    // The modal preview reads its own views on a worker thread while the main
    // window may repaint; the cache and the connection are used under this lock.
    mutable QRecursiveMutex mutex_;
    std::array<std::atomic<quint64>, TableCount> changes_{};
    std::array<QList<QStringList>, TableCount> indexes_;
};

} // namespace kvilbro
