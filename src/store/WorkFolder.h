#pragma once

#include <QString>
#include <QStringList>

namespace kvilbro {

// A hidden folder in which a command builds its result before renaming it
// into place ("/parent/.kvilbro-backup-XXXXXX"). Its maker holds a lock on a
// file inside for as long as it works there, so the next run of the command
// can tell a folder left by a kill from one still in use, and remove it.
class WorkFolder {
public:
    // Makes a new folder "<prefix>XXXXXX" in `parent`; isValid() says whether that worked.
    WorkFolder(const QString& parent, const QString& prefix);
    ~WorkFolder(); // removes the folder unless it was kept
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    bool isValid() const { return !path_.isEmpty(); }
    QString errorString() const { return error_; }
    QString path() const { return path_; }
    // Renames the finished folder to `target`, without its lock file, and keeps
    // it there. False, with errorString(), when the rename fails.
    bool moveTo(const QString& target);

    // Removes the folders "<prefix>*" in `parent` that no living program works
    // in: real folders only (a symbolic link is never followed or removed), whose
    // lock file nobody holds. Gives the folders it removed.
    static QStringList removeAbandoned(const QString& parent, const QString& prefix);

    // The lock file's name inside a work folder.
    static QString lockFileName();

private:
    QString path_;
    QString error_;
    int lockFd_ = -1;
    bool kept_ = false;
};

} // namespace kvilbro
