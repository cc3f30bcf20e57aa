#pragma once

#include "Database.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <map>
#include <memory>

struct sqlite3;

namespace kvilbro::test {

// A collection in a temporary folder: the three tables created empty, and
// quick ways to fill them with plain SQL (not through the views under test).
class Collection {
public:
    Collection();
    ~Collection();
    Collection(const Collection&) = delete;
    Collection& operator=(const Collection&) = delete;
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

    // Rows written straight into the files.
    qint64 addArea(const QString& id, const QString& description);
    qint64 addNumber(const QString& land, const QString& area, const QVariant& number, const QString& type = {},
                     const QStringList& marks = {}, const QString& picture = {}, const QString& remark = {});
    void setCollector(const QStringList& fields);
    int count(const QString& table, const QString& where = {}) const;
    QVariant scalar(const QString& sql) const;
    void exec(const QString& sql) const;
    // Lets go of the files, for a test that replaces or damages one.
    void closeConnections();

private:
    sqlite3* connection(const QString& path) const;
    qint64 insert(const QString& path, const QString& sql, const QVariantList& values);

    QTemporaryDir dir_;
    mutable std::map<QString, sqlite3*> connections_;
};

// Pins the locale and test paths; call at the start of every test program.
void pinEnvironment();

} // namespace kvilbro::test
