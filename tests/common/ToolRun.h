#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTextStream>

namespace kvilbro::test {

// What a command-line program said and how it ended.
struct ToolRun {
    int code;
    QString out;
    QString err;
};

// Runs `program` with `arguments` to its end (a minute at most).
inline ToolRun runTool(const QString& program, const QStringList& arguments)
{
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(60000))
        return {-1, {}, QStringLiteral("did not end")};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// Runs one of the tool's commands in this process with `arguments` (those
// after the command's word), catching what it writes.
inline ToolRun runCommand(int (*command)(const QStringList&, QTextStream&, QTextStream&), const QStringList& arguments)
{
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    const int code = command(arguments, outStream, errStream);
    outStream.flush();
    errStream.flush();
    return {code, out, err};
}

} // namespace kvilbro::test
