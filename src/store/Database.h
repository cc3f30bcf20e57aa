#pragma once

#include "TableDef.h"

#include <QHash>
#include <QRecursiveMutex>
#include <QString>
#include <QVariant>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>

struct sqlite3;
struct sqlite3_stmt;

namespace kvilbro {

class CollectionLock;
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
//
// The files are data, never code: a file that holds anything that could run
// (triggers, views, virtual tables, other comparisons) or is damaged is
// refused before anything is written to it. One program writes a collection
// at a time (CollectionLock); a collection that cannot be written opens for
// reading only.
class Database {
public:
    enum class Access {
        // Written when the files and folder allow it and no other program writes them.
        AsAllowed,
        // Only read, whoever else writes: the collection's lock is not taken,
        // and the engine's journal files are left as they were found once the
        // last reader closes. For tools that report on a collection.
        ReadOnly,
    };

    // Opens the three files by their bare names in `directory`, or in the
    // current directory when it is empty. Throws a plain error naming the file.
    explicit Database(const QString& directory = QString(), Access access = Access::AsAllowed);
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

    // Absolute, fixed when the files were opened.
    QString filePath(TableId table) const;
    QString folder() const { return directory_; }

    // True when the collection could not be written when it was opened (files or
    // folder without write permission, a read-only medium): it is shown, never changed.
    bool isReadOnly() const { return readOnly_; }
    // Throws the collector's message when the collection is open for reading only.
    void requireWritable() const;
    // Throws when the table's file was deleted or replaced since it was opened:
    // a write would go to a file nobody will see again.
    void requireUnchanged(TableId table) const;
    // Moves every stored row from the journals into the table files themselves,
    // so that the three files alone hold the collection. For idle moments.
    void checkpoint();
    // True when `path` names one of the table files or a journal beside one.
    // Nothing else in the program may open them: the file would be lost, and
    // closing it again would drop the engine's locks on it.
    bool isCollectionFile(const QString& path) const;
    void setBusyTimeout(int milliseconds);
    qint64 lastInsertRowId() const;
    int changesOfLastStatement() const;

    [[noreturn]] void raise(TableId table, int code) const;
    QString describe(TableId table, int code, const QString& detail) const;

    // Called by Statement before each step: every statement gets the same time limit.
    void startStep() { stepStarted_.store(nowMs(), std::memory_order_relaxed); }

private:
    static int index(TableId table) { return int(table); }
    static qint64 nowMs();
    void openConnection();
    QString uri(TableId table) const;
    void refuseUnfitFiles();
    void readIndexes(const TableDef& def);
    void keepRowIdsUnique(const TableDef& def);
    static int onProgress(void* self);

    QString directory_;
    // The table files as found when they were opened, before any dialog moved the current directory.
    std::array<QString, TableCount> canonicalPaths_;
    struct FileId {
        quint64 device = 0;
        quint64 inode = 0;
    };
    std::array<FileId, TableCount> fileIds_;
    std::shared_ptr<CollectionLock> lock_;
    bool readOnly_ = false;
    // Read-only access in a folder others may write: the engine's locks, no writes.
    bool lockingReader_ = false;
    std::array<bool, TableCount> immutable_{};
    std::atomic<qint64> stepStarted_{0};
    qint64 stepLimitMs_ = 0;
    sqlite3* db_ = nullptr;
    QHash<QString, sqlite3_stmt*> cache_;
    // The modal preview reads its own views on a worker thread while the main
    // window may repaint; the cache and the connection are used under this lock.
    mutable QRecursiveMutex mutex_;
    std::array<std::atomic<quint64>, TableCount> changes_{};
    std::array<QList<QStringList>, TableCount> indexes_;
};

} // namespace kvilbro
