#include "ScriptedDialogs.h"

#include <QTest>

namespace kvilbro::test {

QList<ScriptedDialogs::Shown> ScriptedDialogs::shownOf(const QString& kind) const
{
    QList<Shown> out;
    for (const Shown& s : shown_) {
        if (s.kind == kind)
            out << s;
    }
    return out;
}

QStringList ScriptedDialogs::messages() const
{
    QStringList out;
    for (const Shown& s : shown_) {
        if (s.kind == QLatin1String("message") || s.kind == QLatin1String("error") || s.kind == QLatin1String("stop"))
            out << s.text;
    }
    return out;
}

ScriptedDialogs::~ScriptedDialogs()
{
    // An answer nobody asked for is a test that does not test what it says.
    if (unusedAnswers() > 0 && QTest::currentTestFunction())
        QTest::qFail(
            qPrintable(QStringLiteral("%1 scripted dialog answer(s) were never asked for").arg(unusedAnswers())),
            __FILE__, __LINE__);
}

int ScriptedDialogs::unusedAnswers() const
{
    return int(inputs_.size() + confirms_.size() + okCancels_.size() + openFiles_.size() + saveFiles_.size() +
               printerSetups_.size() + prints_.size());
}

template <typename T> std::optional<T> ScriptedDialogs::take(QList<Answer<T>>& queue, const Shown& shown)
{
    shown_.append(shown);
    if (queue.isEmpty())
        return std::nullopt;
    const Answer<T> answer = queue.takeFirst();
    if (answer.caption != shown.caption || (answer.text && *answer.text != shown.text)) {
        QTest::qFail(qPrintable(QStringLiteral("a %1 dialog answered for \"%2\" / \"%3\" met \"%4\" / \"%5\"")
                                    .arg(shown.kind, answer.caption, answer.text.value_or(QStringLiteral("*")),
                                         shown.caption, shown.text)),
                     __FILE__, __LINE__);
    }
    return answer.value;
}

InputAnswer ScriptedDialogs::input(const QString& caption, const QString& prompt, const QString& defaultText)
{
    const auto a = take(inputs_, {QStringLiteral("input"), caption, prompt, defaultText});
    if (!a || !a->ok)
        return {defaultText, false}; // Cancel gives back the default
    return *a;
}

bool ScriptedDialogs::confirm(const QString& question)
{
    return take(confirms_, {QStringLiteral("confirm"), QStringLiteral("Information"), question, {}}).value_or(false);
}

void ScriptedDialogs::message(const QString& text)
{
    shown_.append({QStringLiteral("message"), applicationTitle(), text, {}});
}

void ScriptedDialogs::error(const QString& text)
{
    shown_.append({QStringLiteral("error"), QStringLiteral("Error"), text, {}});
}

void ScriptedDialogs::stop(const QString& text)
{
    shown_.append({QStringLiteral("stop"), applicationTitle(), text, {}});
}

void ScriptedDialogs::fatal(const QString& text)
{
    shown_.append({QStringLiteral("fatal"), QStringLiteral("Application Error"), text, {}});
}

bool ScriptedDialogs::okCancel(const QString& question)
{
    return take(okCancels_, {QStringLiteral("okCancel"), QStringLiteral("Confirm"), question, {}}).value_or(false);
}

QString ScriptedDialogs::openFile(const FileDialogOptions& options)
{
    lastFileOptions = options;
    return take(openFiles_, {QStringLiteral("open"), options.caption, options.initialName, {}}).value_or(QString());
}

QString ScriptedDialogs::saveFile(const FileDialogOptions& options)
{
    lastFileOptions = options;
    return take(saveFiles_, {QStringLiteral("save"), options.caption, options.initialName, {}}).value_or(QString());
}

bool ScriptedDialogs::printerSetup(QPrinter&)
{
    return take(printerSetups_, {QStringLiteral("printerSetup"), {}, {}, {}}).value_or(false);
}

bool ScriptedDialogs::print(QPrinter&, PrintDialogOptions&)
{
    return take(prints_, {QStringLiteral("print"), {}, {}, {}}).value_or(false);
}

} // namespace kvilbro::test
