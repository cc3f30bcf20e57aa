#include "ParadoxImport.h"

#include "CollectionLock.h"
#include "Error.h"
#include "FileCheck.h"
#include "TableFiles.h"
#include "WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace kvilbro::tablefiles {

namespace {

// The table under its name in `dir`, letter case aside; empty when there is none.
QString findTable(const QDir& dir, const QString& fileName)
{
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : names) {
        if (name.compare(fileName, Qt::CaseInsensitive) == 0)
            return dir.filePath(name);
    }
    return {};
}

void moveInto(const QString& from, const QString& to)
{
    std::error_code ec;
    std::filesystem::rename(QFile::encodeName(from).toStdString(), QFile::encodeName(to).toStdString(), ec);
    if (ec)
        throw Error(QStringLiteral("%1 cannot be moved to %2 (%3).")
                        .arg(QDir::toNativeSeparators(from), QDir::toNativeSeparators(to),
                             QString::fromLocal8Bit(ec.message().c_str())));
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Makes the renames and removals in `dir` so far survive a power cut.
void syncFolder(const QString& dir)
{
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const QString why = systemError();
        if (fd >= 0)
            ::close(fd);
        throw Error(
            QStringLiteral("The folder %1 cannot be written to disk (%2).").arg(QDir::toNativeSeparators(dir), why));
    }
    ::close(fd);
}

const QStringList& journalSuffixes()
{
    static const QStringList suffixes{QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")};
    return suffixes;
}

// A journal beside a table about to be replaced must be one unlink() removes.
void refuseOddJournals(const QString& table)
{
    for (const QString& suffix : journalSuffixes()) {
        struct stat st {};
        const QString journal = table + suffix;
        if (::lstat(QFile::encodeName(journal).constData(), &st) == 0 && S_ISDIR(st.st_mode))
            throw Error(QStringLiteral("%1 is a folder, not a journal; nothing was replaced.")
                            .arg(QDir::toNativeSeparators(journal)));
    }
}

// A journal left beside a replaced file would be played back into the new one.
void removeJournals(const QString& table)
{
    for (const QString& suffix : journalSuffixes()) {
        const QString journal = table + suffix;
        if (::unlink(QFile::encodeName(journal).constData()) != 0 && errno != ENOENT)
            throw Error(QStringLiteral("%1 cannot be removed (%2); run the import again once it can.")
                            .arg(QDir::toNativeSeparators(journal), systemError()));
    }
}

// Writes the marker that the tables of `dir` are being switched, on disk
// before the first table is moved. It names the command that finishes the switch.
void writeSwitchMarker(const QString& dir, const QString& command)
{
    const QString marker = QDir(dir).filePath(filecheck::unfinishedImportMarker());
    const QString fresh = marker + QStringLiteral(".new");
    const QByteArray freshName = QFile::encodeName(fresh);
    // Whatever lies under the new name is ours to replace: it is removed, never written through.
    ::unlink(freshName.constData());
    const int fd = ::open(freshName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    const QByteArray text = command.toUtf8() + '\n';
    const bool written =
        fd >= 0 && ::write(fd, text.constData(), size_t(text.size())) == text.size() && ::fsync(fd) == 0;
    const QString why = systemError();
    if (fd >= 0)
        ::close(fd);
    // A marker a stopped run left stays until this one's is in its place.
    if (!written || ::rename(freshName.constData(), QFile::encodeName(marker).constData()) != 0) {
        const QString reason = written ? systemError() : why;
        ::unlink(freshName.constData());
        throw Error(QStringLiteral("%1 cannot be written (%2); nothing was replaced.")
                        .arg(QDir::toNativeSeparators(marker), reason));
    }
    syncFolder(dir);
}

void summarise(QTextStream& out, const QString& file, const TableCounts& c)
{
    out << file << ": " << c.read << " rows read, " << c.written << " written, " << c.skipped << " skipped"
        << " (code page " << c.codePage << ")\n";
    for (auto it = c.skipReasons.cbegin(); it != c.skipReasons.cend(); ++it)
        out << "  skipped " << it.value() << ": " << it.key() << "\n";
    if (c.cut)
        out << "  " << c.cut << " values cut to their field's width; kept whole in the report\n";
    if (c.unlinked)
        out << "  " << c.unlinked << " numbers whose area is not in stm2frim.db; kept, and listed in the report\n";
    if (c.windowsPaths)
        out << "  " << c.windowsPaths << " picture paths from Windows, " << c.mappedPaths
            << " of them mapped; listed in the report\n";
    for (const QString& w : c.warnings)
        out << "  warning: " << w << "\n";
}

} // namespace

QString importReportName()
{
    return QStringLiteral("import-report.txt");
}

void importParadox(const ImportRequest& request, QTextStream& out)
{
    const QDir oldDir(request.oldDir);
    if (request.oldDir.isEmpty() || !oldDir.exists())
        throw Error(QStringLiteral("The folder %1 does not exist.").arg(QDir::toNativeSeparators(request.oldDir)));
    QStringList sources;
    for (const TableDef* def : TableDef::all()) {
        const QString found = findTable(oldDir, def->fileName);
        if (found.isEmpty())
            throw Error(QStringLiteral("%1 holds no table %2 (in any letter case); nothing was imported.")
                            .arg(QDir::toNativeSeparators(oldDir.absolutePath()), def->fileName));
        sources << found;
    }

    const QString newPath = QDir(request.newDir.isEmpty() ? QStringLiteral(".") : request.newDir).absolutePath();
    if (QFileInfo(newPath).canonicalFilePath() == QFileInfo(oldDir.absolutePath()).canonicalFilePath())
        throw Error(QStringLiteral("The new collection must go into another folder than the old tables; they are "
                                   "kept as they are."));
    if (!QDir().mkpath(newPath))
        throw Error(QStringLiteral("The folder %1 cannot be created.").arg(QDir::toNativeSeparators(newPath)));
    const QDir newDir(newPath);
    for (const TableDef* def : TableDef::all()) {
        if (QFileInfo::exists(newDir.filePath(def->fileName)) && !request.replace)
            throw Error(QStringLiteral("%1 holds a collection already; nothing was imported. Give --replace to "
                                       "replace it.")
                            .arg(QDir::toNativeSeparators(newPath)));
    }
    // Nobody may open the collection while its files are replaced.
    const auto lock = CollectionLock::acquireToWrite(newPath);

    // Made beside the new folder, so that the finished files are moved, not copied.
    const QString parent = QFileInfo(newPath).absolutePath();
    const QString prefix = QStringLiteral(".kvilbro-import-");
    WorkFolder::removeAbandoned(parent, prefix);
    WorkFolder work(parent, prefix);
    if (!work.isValid())
        throw Error(QStringLiteral("No working folder can be made beside %1 (%2).")
                        .arg(QDir::toNativeSeparators(newPath), work.errorString()));
    create(work.path());
    QFile reportFile(QDir(work.path()).filePath(importReportName()));
    if (!reportFile.open(QIODevice::WriteOnly | QIODevice::Text))
        throw Error(QStringLiteral("%1 cannot be written.").arg(reportFile.fileName()));
    QTextStream report(&reportFile);
    report << "Import of " << QDir::toNativeSeparators(oldDir.absolutePath()) << "\n";

    // Areas first, so that each number can be checked for its area.
    const QList<TableId> order{TableId::Areas, TableId::Numbers, TableId::Collector};
    QSet<QString> areaLinks;
    for (const TableId id : order) {
        const TableDef& def = TableDef::get(id);
        const QString source = sources[TableDef::all().indexOf(&def)];
        report << "\n" << def.fileName << " from " << QDir::toNativeSeparators(source) << "\n";
        TableImporter importer(def, request.settings, report);
        if (id == TableId::Numbers)
            importer.setAreaLinks(&areaLinks);
        const TableCounts counts = importer.run(source, QDir(work.path()).filePath(def.fileName));
        if (id == TableId::Areas)
            areaLinks = importer.storedLinks();
        for (const QString& w : counts.warnings)
            report << "warning: " << w << "\n";
        report << counts.read << " rows read, " << counts.written << " written, " << counts.skipped << " skipped\n";
        summarise(out, def.fileName, counts);
    }
    report.flush();
    reportFile.close();

    // The three tables are switched all or nothing: the marker, on disk before
    // the first rename, keeps the program and check off a folder that holds new
    // tables beside old ones, until a repeated import finishes the switch.
    for (const TableDef* def : TableDef::all())
        refuseOddJournals(newDir.filePath(def->fileName));
    writeSwitchMarker(newPath,
                      QStringLiteral("kvilbro-tables import-paradox %1 %2 --replace")
                          .arg(QDir::toNativeSeparators(oldDir.absolutePath()), QDir::toNativeSeparators(newPath)));
    // For the tests: a kill after this many tables were moved in.
    const int killAfter = qEnvironmentVariableIntValue("KVILBRO_TEST_KILL_IMPORT_AFTER_MOVES");
    int moved = 0;
    for (const TableDef* def : TableDef::all()) {
        const QString target = newDir.filePath(def->fileName);
        removeJournals(target);
        moveInto(QDir(work.path()).filePath(def->fileName), target);
        if (++moved == killAfter)
            ::raise(SIGKILL);
    }
    syncFolder(newPath);
    if (::unlink(QFile::encodeName(newDir.filePath(filecheck::unfinishedImportMarker())).constData()) != 0)
        throw Error(
            QStringLiteral("The tables are in place, but %1 cannot be removed (%2).")
                .arg(QDir::toNativeSeparators(newDir.filePath(filecheck::unfinishedImportMarker())), systemError()));
    syncFolder(newPath);
    moveInto(reportFile.fileName(), newDir.filePath(importReportName()));
    writeStartFiles(newPath);
    out << "The report is in " << QDir::toNativeSeparators(newDir.filePath(importReportName())) << "\n";
}

} // namespace kvilbro::tablefiles
